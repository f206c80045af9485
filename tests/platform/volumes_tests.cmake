# Tests of the volume layer.
add_library(corvath_volumes_test_support STATIC mountinfo_file.cpp)
target_include_directories(corvath_volumes_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(corvath_volumes_test_support PUBLIC corvath_test_support)
corvath_warnings(corvath_volumes_test_support)

corvath_add_gtest(volume_table_tests
  SOURCES volume_filter_test.cpp drive_kind_test.cpp
  LIBS corvath_volumes corvath_volumes_test_support
  LABELS platform)

# Threaded and toolkit-free: also run under ThreadSanitizer. One label each,
# as label lists do not survive test discovery; ctest -L matches by pattern.
corvath_add_gtest(volume_layer_tests
  SOURCES bounded_call_test.cpp linux_volume_layer_test.cpp probe_and_space_test.cpp
  LIBS corvath_volumes corvath_volumes_test_support
  LABELS platform-engine)

# Real mounts in a private mount namespace (root only; skipped otherwise).
corvath_add_gtest(volume_mount_tests
  SOURCES volume_mounts_test.cpp
  LIBS corvath_volumes
  LABELS platform-mounts-engine)

# A FUSE filesystem that never answers stands for a hung network mount.
pkg_check_modules(FUSE3 IMPORTED_TARGET fuse3)
if(FUSE3_FOUND)
  add_subdirectory(fuse_hang)
  corvath_add_gtest(volume_hung_mount_tests
    SOURCES fuse_hang_test.cpp
    LIBS corvath_volumes corvath_engine
    LABELS platform-mounts-engine)
  target_compile_definitions(volume_hung_mount_tests PRIVATE CORVATH_FUSE_HANG="$<TARGET_FILE:corvath-fuse-hang>")
  add_dependencies(volume_hung_mount_tests corvath-fuse-hang)
endif()
