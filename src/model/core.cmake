# brevanto_core: the slope model and its input file.
target_sources(brevanto_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ModelHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LPData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LPDataRead.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LPDataWrite.cpp
)
