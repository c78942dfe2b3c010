# brevanto_core: the slope model, its input file and the engine's results file.
target_sources(brevanto_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ModelHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelSnapshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultsFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SlopeModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SlopeModelRead.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SlopeModelWrite.cpp
)
