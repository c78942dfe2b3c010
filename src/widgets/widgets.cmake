# brevanto_widgets: entry boxes, message boxes and the table editor windows.
target_sources(brevanto_widgets PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MsgBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryCore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataCmb.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableFormController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableFormControllerChart.cpp
)
