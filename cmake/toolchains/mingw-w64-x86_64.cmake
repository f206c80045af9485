# Cross-builds native 64-bit Windows programs with mingw-w64's POSIX-threads
# compilers (std::thread needs them), linked statically so that no DLL has to
# sit beside the programs. Tests run under Wine (cmake/wine-run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CORVATH_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CORVATH_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVATH_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVATH_MINGW_TARGET}-windres)

# Headers, libraries and packages from the target's sysroot only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${CORVATH_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# mingw-w64 declares the reentrant localtime_r and gmtime_r (over the C
# runtime's _s functions) only when asked.
set(CMAKE_C_FLAGS_INIT "-D_POSIX_THREAD_SAFE_FUNCTIONS=200112L")
set(CMAKE_CXX_FLAGS_INIT "-D_POSIX_THREAD_SAFE_FUNCTIONS=200112L")

# libgcc, libstdc++ and winpthread linked in: the programs start on a bare Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Every test program runs under Wine, in a prefix of the build's own.
get_filename_component(_corvath_cmake_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_corvath_cmake_dir}/wine-run;${CMAKE_BINARY_DIR}/wine-prefix")
