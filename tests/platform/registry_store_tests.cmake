# Tests of the SQLite registry store and of corvath-reg.
corvath_add_gtest(registry_store_reliability_test
                  SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_store_reliability_test.cpp
                  LIBS corvath_settings corvath_registry_store SQLite::SQLite3 LABELS settings)
