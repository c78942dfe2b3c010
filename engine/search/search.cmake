# The failure-surface searches, part of the engine library.
target_sources(brevanto_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SearchGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SurfaceGenerators.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SurfaceRefineBounds.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Refine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchRunner.cpp
)
