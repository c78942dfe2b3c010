# Plot-file reader and plot renderer: core, no widgets.
target_sources(brevanto_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PltData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PltDraw.cpp
)
