cmake_minimum_required(VERSION 3.25)
# Plants one include at a time in a small source tree and runs the layer check over it: the
# allowed order passes, and each kind of forbidden include fails naming the file. Then the
# same for the check of where threads start, the check of who names the application object,
# and the install script's choice of package source.
# Run as: cmake -DCHECK=<CheckCoreLayers.cmake> -DTHREAD_CHECK=<CheckThreadStarts.cmake>
#   -DAPP_CHECK=<CheckAppDelegateUse.cmake>
#   -DINSTALL_SCRIPT=<install-deps.sh> -DWORK=<scratch dir>
#   -DWIDGET_HEADERS=<QtWidgets include dir> -P CoreLayersTest.cmake

set(failures "")
function(plant name file include expect_pass)
  set(root ${WORK}/${name})
  file(REMOVE_RECURSE ${root})
  foreach(f base/Logging.h platform/core/ImageSource.h model/Record.h browser/core/Panels.h
            metadata/core/Recipe.h metadata/GpsWindow.h library/core/Store.h app/core/State.h)
    file(WRITE ${root}/${f} "#pragma once\n")
  endforeach()
  file(WRITE ${root}/${file} "#pragma once\n\n${include}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root}
    -DWIDGET_HEADERS=${WIDGET_HEADERS} -P ${CHECK} RESULT_VARIABLE rc OUTPUT_VARIABLE out
    ERROR_VARIABLE out)
  if(expect_pass AND NOT rc EQUAL 0)
    string(APPEND failures "\n${name}: an allowed include was refused:\n${out}")
  elseif(NOT expect_pass AND (rc EQUAL 0 OR NOT out MATCHES "src/${file}"))
    string(APPEND failures "\n${name}: the include in ${file} was not named:\n${out}")
  endif()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

plant(downward library/core/Loader.cpp
  "#include \"base/Logging.h\"\n#include \"model/Record.h\"\n#include \"metadata/core/Recipe.h\"\n#include <QString>"
  TRUE)
plant(upward base/Helpers.cpp "#include \"platform/core/ImageSource.h\"" FALSE)
plant(sideways browser/core/Compare.cpp "#include \"library/core/Store.h\"" FALSE)
plant(application library/core/Open.cpp "#include \"app/core/State.h\"" FALSE)
plant(climb library/core/EditRun.cpp "#include \"../LibraryEditRun.h\"" FALSE)
plant(window metadata/core/Gps.cpp "#include \"metadata/GpsWindow.h\"" FALSE)
plant(bare metadata/core/Dates.cpp "#include \"AppDelegate.h\"" FALSE)
plant(widgets platform/core/Preview.cpp "#include <QWidget>" FALSE)

# A thread started outside the runner is named with its line, whichever way it is started;
# the runner's own may start one.
foreach(start "QThread::create(g)" "std::jthread t(g)" "auto r = std::async(g)"
              "pthread_create(&t, nullptr, g, nullptr)")
  foreach(file platform/core/Decode.cpp platform/core/JobRunner.cpp)
    set(root ${WORK}/threads)
    file(REMOVE_RECURSE ${root})
    file(WRITE ${root}/${file} "#include <functional>\n\nvoid f() { ${start}; }\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root} -P ${THREAD_CHECK}
      RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(file MATCHES "JobRunner" AND NOT rc EQUAL 0)
      string(APPEND failures "\nthreads: the runner's ${start} was refused:\n${out}")
    elseif(NOT file MATCHES "JobRunner" AND (rc EQUAL 0 OR NOT out MATCHES "src/${file}:3:"))
      string(APPEND failures "\nthreads: ${start} in ${file} was not named:\n${out}")
    endif()
  endforeach()
endforeach()

# The install script names no package host: backports come from the source apt already takes
# bookworm from, and without one the script stops and says which source to add.
file(READ ${INSTALL_SCRIPT} script)
if(script MATCHES "://")
  string(APPEND failures "\ninstall script: it names a package host")
endif()
string(REGEX MATCH "debian_mirror\\(\\) {.*\n}\n" mirror "${script}")
set(stubs ${WORK}/apt)
file(MAKE_DIRECTORY ${stubs})
foreach(case named none)
  if(case STREQUAL "named")
    set(targets "bookworm-updates https://mirror.example/debian/\nbookworm https://mirror.example/debian/")
  else()
    set(targets "nodistro https://other.example/node/")
  endif()
  file(WRITE ${stubs}/apt-get "#!/bin/sh\nprintf '${targets}\\n'\n")
  file(CHMOD ${stubs}/apt-get PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  file(WRITE ${stubs}/run.sh "set -euo pipefail\nPATH=${stubs}:$PATH\n${mirror}\ndebian_mirror\n")
  execute_process(COMMAND bash ${stubs}/run.sh RESULT_VARIABLE rc OUTPUT_VARIABLE out
    ERROR_VARIABLE err)
  if(NOT mirror)
    string(APPEND failures "\ninstall script: no debian_mirror function")
  elseif(case STREQUAL "named" AND NOT (rc EQUAL 0 AND out STREQUAL "https://mirror.example/debian/\n"))
    string(APPEND failures "\ninstall script: bookworm's own source was not taken: ${out}${err}")
  elseif(case STREQUAL "none" AND (rc EQUAL 0 OR out OR NOT err MATCHES "bookworm.*sources.list"))
    string(APPEND failures "\ninstall script: without a bookworm source it went on: ${out}${err}")
  endif()
endforeach()

# The application object: src/app/ may name it; a piece outside may not, whether it includes
# the header or only names the class.
function(plant_app name file text expect_pass expect_named)
  set(root ${WORK}/app-${name})
  file(REMOVE_RECURSE ${root})
  file(WRITE ${root}/app/AppDelegate.h "#pragma once\nclass AppDelegate {};\n")
  file(WRITE ${root}/metadata/GpsWindow.cpp "#include \"app/AppServices.h\"\n")
  file(WRITE ${root}/${file} "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root}
    -P ${APP_CHECK} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(expect_pass AND NOT rc EQUAL 0)
    string(APPEND failures "\napp ${name}: refused:\n${out}")
  elseif(NOT expect_pass AND (rc EQUAL 0 OR NOT out MATCHES "${expect_named}"))
    string(APPEND failures "\napp ${name}: ${file} was not named:\n${out}")
  endif()
  set(failures ${failures} PARENT_SCOPE)
endfunction()
plant_app(own app/MainMenu.cpp "#include \"app/AppDelegate.h\"\n" TRUE "")
plant_app(include batch/Stamp.cpp "#include <QString>\n#include \"app/AppDelegate.h\"\n"
  FALSE "src/batch/Stamp.cpp:2:")
plant_app(named export/Merge.h "#pragma once\nclass AppDelegate;\n" FALSE "src/export/Merge.h:2:")
plant_app(longer export/Merge.h "#pragma once\nclass AppDelegateUse;\n" TRUE "")
plant_app(both export/Merge.cpp "// AppDelegateUse\nvoid f(AppDelegate &d);\n" FALSE
  "src/export/Merge.cpp:2:")

file(REMOVE_RECURSE ${WORK})
if(failures)
  message(FATAL_ERROR "A check let through or refused the wrong file:${failures}")
endif()
