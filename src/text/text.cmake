# brevanto_text: plain C++17, no Qt.
target_sources(brevanto_text PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Evaluate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FixedText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberForms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberRounding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SlopeFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Trim.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Units.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordRead.cpp
)
