# Checks that every include of the program's own headers goes downwards:
#   cmake -DSOURCE_DIR=<repository> [-DSTAMP=<file>] -P CheckLayers.cmake
# The layers, lowest first (design.md, "Layout and layers"). Folders on one
# line are one layer; a file may include its own layer and every layer below
# it, never one above.
cmake_minimum_required(VERSION 3.25)

set(layers
    "platform resources"
    "table"
    "media"
    "form exchange"
    "document"
    "print"
    "platform/gfx"
    "media/gfx print/gfx"
    "platform/ui"
    "print/ui"
    "media/ui"
    "form/ui tools"
    "listview"
    "app/ui app")
# orvel-cli stands on the core alone.
set(cli_may_include platform resources table media form exchange document print)
# Setup (setup/) shares no code with the program, in either direction.

set(folders)
set(rank 0)
foreach(line IN LISTS layers)
  string(REPLACE " " ";" members "${line}")
  foreach(folder IN LISTS members)
    set(rank_of_${folder} ${rank})
    list(APPEND folders ${folder})
  endforeach()
  math(EXPR rank "${rank} + 1")
endforeach()

# The folder a path belongs to: the longest known folder it lies in.
function(folder_of path out)
  set(best "")
  foreach(folder IN LISTS folders ITEMS cli setup setup/ui)
    if(path MATCHES "^${folder}/[^/]+$")
      string(LENGTH "${folder}" length)
      string(LENGTH "${best}" best_length)
      if(length GREATER best_length)
        set(best "${folder}")
      endif()
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(problems "")
foreach(folder IN LISTS folders ITEMS cli setup setup/ui)
  file(GLOB sources "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${source}")
    file(STRINGS "${source}" includes REGEX "^#include \"[^\"]+\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
      folder_of("${header}" target)
      if(target STREQUAL "" OR target STREQUAL folder)
        continue()
      endif()
      # Setup's wizard (setup/ui) stands on its engine (setup).
      if(folder STREQUAL "setup/ui" AND target STREQUAL "setup")
        continue()
      endif()
      if(folder MATCHES "^setup" OR target MATCHES "^setup")
        string(APPEND problems "${relative}: includes ${header}, but Setup and the program share no code\n")
        continue()
      endif()
      if(folder STREQUAL "cli")
        if(NOT target IN_LIST cli_may_include)
          string(APPEND problems "${relative}: orvel-cli includes ${header}\n")
        endif()
        continue()
      endif()
      if(target STREQUAL "cli")
        string(APPEND problems "${relative}: includes ${header} of orvel-cli\n")
        continue()
      endif()
      if(rank_of_${target} GREATER rank_of_${folder})
        string(APPEND problems "${relative}: includes ${header} from a layer above it\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(NOT problems STREQUAL "")
  message(FATAL_ERROR "Includes against the layer order:\n${problems}")
endif()
if(STAMP)
  file(TOUCH "${STAMP}")
endif()
