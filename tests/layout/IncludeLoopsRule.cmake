cmake_minimum_required(VERSION 3.21)
# The include-loop rule (CheckIncludeLoops.cmake) on small made-up trees: it must name a loop between
# a header and a source file of two modules, and one between two headers, across the engine and src;
# pass a tree whose includes only go one way; and fail when a loop listed as standing is gone.
# Run as: cmake -DRULE=<CheckIncludeLoops.cmake> -DWORK=<scratch folder> -P IncludeLoopsRule.cmake
set(failures "")

# Writes the files of a made-up tree: pairs of "path" "include,include" ("-": none) as arguments.
function(make_tree name)
  set(root "${WORK}/${name}")
  file(REMOVE_RECURSE "${root}")
  set(args ${ARGN})
  list(LENGTH args n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET args ${i} path)
    list(GET args ${j} includes)
    string(REPLACE "," ";" includes "${includes}")
    set(text "// made up\n")
    foreach(inc ${includes})
      if(NOT inc STREQUAL "-")
        string(APPEND text "#include \"${inc}\"\n")
      endif()
    endforeach()
    string(APPEND text "#include <string>\n")
    file(WRITE "${root}/${path}" "${text}")
  endforeach()
endfunction()

# Runs the rule on a tree; `expect` is "pass" or a text the failure must contain.
function(expect_rule name allowed expect)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK}/${name} -DMIN_MODULES=2 "-DALLOWED=${allowed}"
                          -P ${RULE}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # CMake wraps long messages: compare with the line breaks folded.
  string(REGEX REPLACE "[ \n]+" " " err "${err}")
  if(expect STREQUAL "pass")
    if(NOT rc EQUAL 0)
      list(APPEND failures "${name}: should pass, but: ${err}")
    endif()
  else()
    string(FIND "${err}" "${expect}" at)
    if(rc EQUAL 0 OR at EQUAL -1)
      list(APPEND failures "${name}: should fail naming \"${expect}\", but (${rc}): ${out}${err}")
    endif()
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

# The window's source needs the run's header, and the run's source needs the window's header.
make_tree(source_loop
  src/app/Window.h "-"
  src/app/Window.cpp "app/Window.h,app/Run.h"
  src/app/Run.h "-"
  src/app/Run.cpp "app/Run.h,app/Window.h")
expect_rule(source_loop none "src/app/Run <-> src/app/Window")

# A header includes another module's header, whose source includes the first header (engine and src).
make_tree(header_loop
  engine/Analysis.h "-"
  engine/Analysis.cpp "engine/Analysis.h,engine/Search.h"
  engine/Search.h "engine/Analysis.h"
  engine/Search.cpp "engine/Search.h"
  src/tables/Table.h "tables/TableChart.h"
  src/tables/TableChart.h "tables/Table.h")
expect_rule(header_loop none "engine/Analysis <-> engine/Search")
expect_rule(header_loop none "src/tables/Table <-> src/tables/TableChart")

# Includes that go one way only, and a file including its own header, are no loop.
make_tree(one_way
  src/app/Window.h "widgets/Grid.h"
  src/app/Window.cpp "app/Window.h,app/Run.h"
  src/app/Run.h "widgets/Grid.h"
  src/app/Run.cpp "app/Run.h"
  src/widgets/Grid.h "-"
  src/widgets/Grid.cpp "widgets/Grid.h")
expect_rule(one_way none pass)

# A standing loop passes while listed; a listed loop that is gone fails, so the list stays true.
expect_rule(source_loop "src/app/Run <-> src/app/Window" pass)
expect_rule(one_way "src/app/Run <-> src/app/Window" "take it off the list")

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "The include-loop rule is wrong:\n${text}")
endif()
message(STATUS "include-loop rule ok")
