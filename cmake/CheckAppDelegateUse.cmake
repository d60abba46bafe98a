cmake_minimum_required(VERSION 3.25)
# Fails when a file under src/ outside app/ names the application object: a window piece is
# given the shared services and its neighbours by its constructor, and never sees the whole.
# Run as: cmake -DSOURCE_DIR=<src> -P CheckAppDelegateUse.cmake

include(${CMAKE_CURRENT_LIST_DIR}/LinesMatching.cmake)
set(name "(^|[^A-Za-z0-9_])AppDelegate([^A-Za-z0-9_]|$)")

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(offences "")
foreach(where ${sources})
  if(where MATCHES "^app/")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${where} hits REGEX "AppDelegate")
  foreach(hit IN LISTS hits)
    if(hit MATCHES "${name}")
      pk_lines_matching(${SOURCE_DIR} ${where} "${name}" offences)
      break()
    endif()
  endforeach()
endforeach()
if(offences)
  message(FATAL_ERROR "Only src/app/ knows the application object; give the piece AppServices "
    "(app/AppServices.h) and the neighbours it calls in its constructor:${offences}")
endif()
