# brevanto_widgets: entry boxes, message boxes, the table editor windows, the graph window and the results window.
target_sources(brevanto_widgets PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MsgBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryCore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataCombo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChildActivation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableEditor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableEditorLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableEditorRowControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableEditorRowButtons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableEditorCommit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableEditorSnap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartTableEditor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableEditorFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveSurface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultsWindow.cpp
)
