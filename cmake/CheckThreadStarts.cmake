cmake_minimum_required(VERSION 3.25)
# Fails when a file under src/ starts or sizes a thread by itself: every thread comes from the
# job runner (pools, side-by-side loops, later(), own threads), except the camera device's
# worker thread. Names the file and line of each offence.
# Run as: cmake -DSOURCE_DIR=<src> -P CheckThreadStarts.cmake

include(${CMAKE_CURRENT_LIST_DIR}/LinesMatching.cmake)

set(allowed platform/core/JobRunner.h platform/core/JobRunner.cpp platform/core/CameraDevice.cpp)
set(words "QMetaObject::invokeMethod|QtConcurrent|QThread|std::j?thread|std::async|pthread_create")

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(offences "")
foreach(where ${sources})
  if(where IN_LIST allowed)
    continue()
  endif()
  # Most files name none: only those that do are read line by line.
  file(STRINGS ${SOURCE_DIR}/${where} hits REGEX "${words}")
  if(NOT hits)
    continue()
  endif()
  pk_lines_matching(${SOURCE_DIR} ${where} "${words}" offences)
endforeach()
if(offences)
  message(FATAL_ERROR "Threads start only in the job runner (platform/core/JobRunner) and the "
    "camera device's worker; use JobRunner::cores, sideBySide, later, runOn or OwnThread:"
    "${offences}")
endif()
