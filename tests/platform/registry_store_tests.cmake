# Tests of the SQLite registry store and of corvath-reg.
corvath_add_gtest(registry_store_reliability_test
                  SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_store_reliability_test.cpp
                  LIBS corvath_settings corvath_registry_store SQLite::SQLite3 LABELS settings)
corvath_add_gtest(registry_command_line_test
                  SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_command_line_test.cpp
                  LIBS corvath_settings corvath_registry_store LABELS settings)
target_compile_definitions(registry_command_line_test PRIVATE CORVATH_REG_PATH="$<TARGET_FILE:corvath-reg>")
add_dependencies(registry_command_line_test corvath-reg)
