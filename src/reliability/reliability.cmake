# The probabilistic analysis in the desktop program: setup, worker-thread run and results windows.
# They call the engine's C++ API in process (the engine library itself stays MPI-free).
target_sources(brevanto_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ProbabilisticMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProbabilisticResultsWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProbabilisticRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProbabilisticWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProbabilisticResultsWindow.h
  ${CMAKE_CURRENT_LIST_DIR}/ProbabilisticRun.h
  ${CMAKE_CURRENT_LIST_DIR}/ProbabilisticWindow.h
)
target_link_libraries(brevanto_app PUBLIC brevanto_engine)
