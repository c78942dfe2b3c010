cmake_minimum_required(VERSION 3.21)
# Fails when two paths of the source tree differ only in letter case (src/app/Main.cpp beside
# src/app/main.cpp): a case-insensitive file system keeps only one of them at checkout.
# Run as: cmake -DROOT=<source dir> -P CheckPathCase.cmake
file(GLOB_RECURSE paths LIST_DIRECTORIES true RELATIVE "${ROOT}"
     "${ROOT}/src/*" "${ROOT}/engine/*" "${ROOT}/tests/*" "${ROOT}/bench/*" "${ROOT}/fuzz/*"
     "${ROOT}/resources/*" "${ROOT}/docs/*" "${ROOT}/cmake/*" "${ROOT}/scripts/*")
set(failures "")
set(lowered "")
foreach(p ${paths})
  string(TOLOWER "${p}" key)
  list(FIND lowered "${key}" at)
  if(at GREATER -1)
    list(GET paths ${at} other)
    list(APPEND failures "${other} and ${p}")
  endif()
  list(APPEND lowered "${key}")
endforeach()
list(LENGTH paths n)
if(n LESS 50)
  message(FATAL_ERROR "Only ${n} paths were found: the source tree was not found")
endif()
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "Paths that differ only in letter case:\n${text}")
endif()
message(STATUS "no two paths differ only in case (${n} paths)")
