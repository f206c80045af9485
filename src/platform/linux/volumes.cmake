# The volume layer: the mount table, which mounts count as drives, their kinds,
# labels and sizes, and the bounded accessibility probe.
add_library(corvath_volumes STATIC
  mount_table.cpp
  volume_filter.cpp
  block_device.cpp
  drive_kind.cpp
  volume_label.cpp
  worker_budget.cpp
  directory_probe.cpp
  disk_space.cpp
  linux_volume_layer.cpp)
target_include_directories(corvath_volumes PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(corvath_volumes PUBLIC corvath_drives Threads::Threads PRIVATE PkgConfig::LIBMOUNT PkgConfig::LIBBLKID)
corvath_warnings(corvath_volumes)
