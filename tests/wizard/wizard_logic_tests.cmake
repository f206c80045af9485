# Tests of the wizard's toolkit-free logic, against fakes of the window, the
# engine, the settings key and the drive table; and one over the real store.
corvath_add_gtest(wizard_logic_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/fake_engine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fake_registry_store.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fake_wizard_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/progress_percent_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/status_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard_startup_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard_cancel_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard_run_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard_run_cancel_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard_tick_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard_fresh_home_test.cpp
  LIBS corvath_wizard corvath_registry_store
  LABELS wizard)
