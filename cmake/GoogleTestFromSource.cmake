# GoogleTest for cross builds, whose sysroot has no prebuilt one: compiled from
# the sources Debian's libgtest-dev ships, which define the GTest:: targets
# that find_package(GTest) would.
set(CORVATH_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory("${CORVATH_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/_deps/googletest" EXCLUDE_FROM_ALL SYSTEM)
