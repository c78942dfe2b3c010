# brevanto_widgets: entry boxes, message boxes, the table editor windows and the graph window.
target_sources(brevanto_widgets PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MsgBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryCore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataCombo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableEditor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartTableEditor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveSurface.cpp
)
