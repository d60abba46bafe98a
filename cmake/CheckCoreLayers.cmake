cmake_minimum_required(VERSION 3.25)
# Fails when code built into pk_core breaks its layers: a QtWidgets header, a file of a
# subsystem folder outside its core/ (windows, features, AppDelegate.h), an include that
# climbs with "../", or an include of a layer above its own.
# Run as: cmake -DSOURCE_DIR=<src> -DWIDGET_HEADERS=<QtWidgets include dir> -P CheckCoreLayers.cmake

# The core layers, lowest first: each may include only itself and the layers before it.
# base: logging, file types, coordinates and helpers; platform/core: our layers over the
# system's libraries; model: the records; then the subsystems' cores in the order they build
# on each other; app/core last, as the application's state holds every subsystem's.
set(layer_order base platform model browser metadata library batch export app)

file(GLOB_RECURSE core_files ${SOURCE_DIR}/*/core/*.h ${SOURCE_DIR}/*/core/*.cpp
  ${SOURCE_DIR}/base/*.h ${SOURCE_DIR}/base/*.cpp ${SOURCE_DIR}/model/*.h ${SOURCE_DIR}/model/*.cpp)
file(GLOB widget_headers RELATIVE ${WIDGET_HEADERS} ${WIDGET_HEADERS}/Q*)
list(FILTER widget_headers EXCLUDE REGEX "\\.h$")
if(NOT widget_headers)
  message(FATAL_ERROR "No QtWidgets headers found under '${WIDGET_HEADERS}'")
endif()
file(GLOB subsystems LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)

set(offences "")
foreach(file ${core_files})
  file(RELATIVE_PATH where ${SOURCE_DIR} ${file})
  string(REGEX REPLACE "/.*" "" own ${where})
  list(FIND layer_order ${own} own_rank)
  if(own_rank LESS 0)
    string(APPEND offences "\n  src/${where}: a core folder with no place in the layer order")
  endif()
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"].*" "\\1;\\2" parts "${line}")
    list(GET parts 0 quote)
    list(GET parts 1 header)
    set(why "")
    if(header MATCHES "^QtWidgets(/|$)" OR header MATCHES "^(qapplication|qwidget)\\.h$"
       OR header IN_LIST widget_headers)
      set(why "a widget header")
    elseif(header MATCHES "(^|/)\\.\\.?/")
      set(why "an include that climbs out of the source root's paths")
    elseif(header MATCHES "^([^/]+)/(.+)$")
      set(folder ${CMAKE_MATCH_1})
      set(rest ${CMAKE_MATCH_2})
      if(folder IN_LIST subsystems)
        if(folder MATCHES "^(base|model)$" OR rest MATCHES "^core/")
          list(FIND layer_order ${folder} rank)
          if(rank GREATER own_rank)
            set(why "a layer above ${own}")
          endif()
        else()
          set(why "a window or feature file")
        endif()
      endif()
    elseif(quote STREQUAL "\"")
      # A bare name would be found beside the file or in a window folder on the search path.
      set(why "a header named without its folder")
    endif()
    if(why)
      string(APPEND offences "\n  src/${where}: ${header} (${why})")
    endif()
  endforeach()
endforeach()
if(offences)
  message(FATAL_ERROR "pk_core breaks its layers (order: ${layer_order}):${offences}")
endif()
