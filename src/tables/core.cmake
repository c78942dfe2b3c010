# brevanto_core: the table family (columns, grid tables, chart-backed tables, the table set).
target_sources(brevanto_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ColStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColumnTypes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableColumn.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableChart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableSet.cpp
)

# The table definitions are data, compiled in and read through the column stream at start.
qt_add_resources(brevanto_core "brevanto_tables"
  PREFIX "/brevanto"
  BASE "${BREVANTO_RESOURCE_DIR}"
  FILES "${BREVANTO_RESOURCE_DIR}/tables/MainTables.tables"
)
