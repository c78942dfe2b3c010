# brevanto_widgets: the data windows and their explanatory pictures.
target_sources(brevanto_widgets PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DataForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SvgPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DlgSlopeBoundary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DlgSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DlgBlock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DlgOptional.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DlgEarthquake.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DlgTitle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DlgOptions.cpp
)
target_link_libraries(brevanto_widgets PUBLIC Qt6::Svg)

# The pictures are SVG, drawn for this program (slope facing left: toe on the left, crest on the
# right), compiled in and rendered at whatever size the window gives them.
set(brevanto_pictures
  boundary search-circular search-irregular search-limits block
  surcharge tieback reinforcement limits water)
list(TRANSFORM brevanto_pictures PREPEND "${BREVANTO_RESOURCE_DIR}/pictures/")
list(TRANSFORM brevanto_pictures APPEND ".svg")
qt_add_resources(brevanto_widgets "brevanto_pictures"
  PREFIX "/brevanto"
  BASE "${BREVANTO_RESOURCE_DIR}"
  FILES ${brevanto_pictures}
)
