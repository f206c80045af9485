# SQLite for builds where no system library is to be had (the Windows build):
# compiled from its amalgamation, which the npm package better-sqlite3 carries
# in deps/sqlite3/. The package is fetched once with `npm pack` into a cache
# folder; the amalgamation is checked against the hashes below before use.
# Defines SQLite::SQLite3, as find_package(SQLite3) would.
set(CORVATH_SQLITE_PACKAGE better-sqlite3@12.11.1)  # SQLite 3.53.2
set(CORVATH_SQLITE_C_SHA256 60d2f39a3726cd6b9021da6f4e868608d66fbb6528a9f513dc8ffcc640493422)
set(CORVATH_SQLITE_H_SHA256 9e69a1353a4288450b0d5239ede11fc7f1f4c8e5eb07491fc8317eacb5b7de7e)

if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
  set(_corvath_cache_default "$ENV{XDG_CACHE_HOME}/corvath")
else()
  set(_corvath_cache_default "$ENV{HOME}/.cache/corvath")
endif()
set(CORVATH_DOWNLOAD_CACHE "${_corvath_cache_default}" CACHE PATH "Where fetched third-party sources are kept")

string(REPLACE "@" "-" _corvath_sqlite_tarball "${CORVATH_SQLITE_PACKAGE}")
set(_corvath_sqlite_tarball "${CORVATH_DOWNLOAD_CACHE}/${_corvath_sqlite_tarball}.tgz")
if(NOT EXISTS "${_corvath_sqlite_tarball}")
  find_program(CORVATH_NPM npm REQUIRED)
  file(MAKE_DIRECTORY "${CORVATH_DOWNLOAD_CACHE}")
  message(STATUS "Fetching SQLite's amalgamation: npm pack ${CORVATH_SQLITE_PACKAGE}")
  execute_process(
    COMMAND "${CORVATH_NPM}" pack "${CORVATH_SQLITE_PACKAGE}" --pack-destination "${CORVATH_DOWNLOAD_CACHE}"
    RESULT_VARIABLE _corvath_npm_result OUTPUT_QUIET ERROR_VARIABLE _corvath_npm_error)
  if(NOT _corvath_npm_result EQUAL 0 OR NOT EXISTS "${_corvath_sqlite_tarball}")
    message(FATAL_ERROR "npm pack ${CORVATH_SQLITE_PACKAGE} failed:\n${_corvath_npm_error}")
  endif()
endif()

set(_corvath_sqlite_dir "${CMAKE_BINARY_DIR}/_deps/sqlite")
file(ARCHIVE_EXTRACT INPUT "${_corvath_sqlite_tarball}" DESTINATION "${_corvath_sqlite_dir}"
     PATTERNS package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h)
set(_corvath_sqlite_dir "${_corvath_sqlite_dir}/package/deps/sqlite3")
foreach(_corvath_file c h)
  file(SHA256 "${_corvath_sqlite_dir}/sqlite3.${_corvath_file}" _corvath_hash)
  string(TOUPPER "${_corvath_file}" _corvath_upper)
  if(NOT _corvath_hash STREQUAL CORVATH_SQLITE_${_corvath_upper}_SHA256)
    message(FATAL_ERROR "sqlite3.${_corvath_file} from ${_corvath_sqlite_tarball} has SHA-256 ${_corvath_hash}, "
                        "not the pinned ${CORVATH_SQLITE_${_corvath_upper}_SHA256}: remove the file to fetch it again")
  endif()
endforeach()

enable_language(C)
add_library(corvath_sqlite3 STATIC "${_corvath_sqlite_dir}/sqlite3.c")
# The header as a system include: its own code is not held to our warnings.
target_include_directories(corvath_sqlite3 SYSTEM PUBLIC "${_corvath_sqlite_dir}")
# Threads as in Debian's library; no extension loading, which nothing here does.
target_compile_definitions(corvath_sqlite3 PRIVATE SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION)
add_library(SQLite::SQLite3 ALIAS corvath_sqlite3)
# The largest file of the build goes through the same compiler cache as the rest.
if(CMAKE_CXX_COMPILER_LAUNCHER AND NOT CMAKE_C_COMPILER_LAUNCHER)
  set_property(TARGET corvath_sqlite3 PROPERTY C_COMPILER_LAUNCHER "${CMAKE_CXX_COMPILER_LAUNCHER}")
endif()
