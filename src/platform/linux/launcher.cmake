# Starting the desktop's file manager.
add_library(corvath_launcher STATIC ${CMAKE_CURRENT_LIST_DIR}/xdg_file_manager.cpp)
target_include_directories(corvath_launcher PUBLIC ${PROJECT_SOURCE_DIR}/src)
corvath_warnings(corvath_launcher)
