cmake_policy(VERSION 3.22)
# The folders of src/ stand in layers, lowest first, and an include may only
# go to the same folder or a lower one: app/ is the top that nothing
# includes; the rename executor may use the rules' limits, not the other way
# round. Folders on one layer do not include each other.
set(QUIB_FOLDER_LAYERS shared list "rules|scan" rename app)

function(quib_layer_of folder out)
  set(level 0)
  foreach(layer IN LISTS QUIB_FOLDER_LAYERS)
    string(REPLACE "|" ";" names "${layer}")
    if(folder IN_LIST names)
      set(${out} ${level} PARENT_SCOPE)
      return()
    endif()
    math(EXPR level "${level} + 1")
  endforeach()
  message(FATAL_ERROR "src/${folder}/ is in no layer of QUIB_FOLDER_LAYERS")
endfunction()

# Fails with every include of the sources under srcDir that goes against the
# layers, or from a file of the core list to a file of the widgets list (both
# lists of absolute paths; empty lists skip that check).
function(quib_check_includes srcDir coreFiles widgetFiles)
  set(problems)
  file(GLOB_RECURSE files RELATIVE ${srcDir} ${srcDir}/*/*.cpp ${srcDir}/*/*.h)
  foreach(file IN LISTS files)
    string(REGEX REPLACE "/.*" "" folder ${file})
    quib_layer_of(${folder} level)
    file(STRINGS ${srcDir}/${file} includes REGEX "^#include \"[^\"]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
      string(REGEX REPLACE "/.*" "" target ${header})
      quib_layer_of(${target} targetLevel)
      if(targetLevel GREATER level OR (targetLevel EQUAL level AND NOT target STREQUAL folder))
        list(APPEND problems "${file} includes ${header}, a folder not below its own")
      endif()
      if(${srcDir}/${file} IN_LIST coreFiles AND ${srcDir}/${header} IN_LIST widgetFiles)
        list(APPEND problems "${file} is in quib_core but includes ${header} of quib_widgets")
      endif()
    endforeach()
  endforeach()
  if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "Includes against the layers:\n  ${text}")
  endif()
endfunction()

# As a script, `cmake -DSRC=<src folder> -P QuibLayers.cmake` checks the
# folder layers alone.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  quib_check_includes(${SRC} "" "")
endif()
