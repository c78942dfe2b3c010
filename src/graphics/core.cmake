# Plot-file reader, plot renderer, picture export and the graph window's view: core, no widgets.
target_sources(brevanto_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PlotFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlotStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlotRenderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlotScale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlotExport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlotView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultReport.cpp
)
# SVG export: QSvgGenerator is a painting device of Qt Svg, which needs no widgets.
target_link_libraries(brevanto_core PUBLIC Qt6::Svg)
