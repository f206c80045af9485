# nlohmann/json for the cross build: the headers of the header-only library
# Debian ships (nlohmann-json3-dev) are copied into the build, so that the
# cross compiler never searches the host's /usr/include.
# Defines nlohmann_json::nlohmann_json.
find_file(CORVATH_NLOHMANN_JSON_HEADER json.hpp PATHS /usr/include/nlohmann NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT CORVATH_NLOHMANN_JSON_HEADER)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev (scripts/setup windows)")
endif()
get_filename_component(_corvath_nlohmann_folder ${CORVATH_NLOHMANN_JSON_HEADER} DIRECTORY)
file(COPY ${_corvath_nlohmann_folder} DESTINATION ${CMAKE_BINARY_DIR}/third_party/include)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/third_party/include)
