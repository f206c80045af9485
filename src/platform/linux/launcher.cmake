# Starting the desktop's file manager.
add_library(corvath_launcher STATIC ${CMAKE_CURRENT_LIST_DIR}/xdg_file_manager.cpp)
target_include_directories(corvath_launcher PUBLIC ${PROJECT_SOURCE_DIR}/src)
corvath_warnings(corvath_launcher)

# Running the unattended analysis in a child that may be left behind.
add_library(corvath_child_run STATIC ${CMAKE_CURRENT_LIST_DIR}/abandonable_child.cpp)
target_include_directories(corvath_child_run PUBLIC ${PROJECT_SOURCE_DIR}/src)
corvath_warnings(corvath_child_run)
