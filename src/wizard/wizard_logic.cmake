# The wizard's toolkit-free logic: start-up, handlers, the run and its progress tick.
add_library(corvath_wizard STATIC
  ${CMAKE_CURRENT_LIST_DIR}/progress_percent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/status_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wizard_startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wizard_handlers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wizard_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wizard_tick.cpp)
target_include_directories(corvath_wizard PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(corvath_wizard PUBLIC corvath_settings corvath_drives corvath_app corvath_engine)
corvath_warnings(corvath_wizard)
