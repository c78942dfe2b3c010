# brevanto_widgets: the graph window. The folder belongs to brevanto_core; this file adds the
# widgets-side files that live in it.
target_sources(brevanto_widgets PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/trialprog.cpp
)
