# The per-user registry store in SQLite, and the editing the store's command line does.
add_library(corvath_registry_store STATIC
  ${CMAKE_CURRENT_LIST_DIR}/store_database.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry_key_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry_key_rows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry_store_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry_store_editor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sqlite_registry_store.cpp)
target_include_directories(corvath_registry_store PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(corvath_registry_store PUBLIC corvath_settings PRIVATE SQLite::SQLite3)
corvath_warnings(corvath_registry_store)
