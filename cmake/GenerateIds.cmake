# Writes the named constants of the command and string ids as C++ headers:
#   cmake -DCOMMANDS=commands.txt -DSTRINGS=strings.txt -DOUT_DIR=dir -P GenerateIds.cmake
# commands.txt: "id<TAB>symbol<TAB>menu text<TAB>key"; every command has a symbol.
# strings.txt: "id<TAB>text[<TAB>symbol]"; only the ids the code names carry one.
# Texts are never looked at, so nothing in them (semicolons, brackets) matters.
cmake_minimum_required(VERSION 3.25)

function(read_lines file out)
  file(READ "${file}" content)
  # List separators and brackets of texts would confuse CMake's lists; the
  # texts are not needed, so they are neutralised before splitting.
  string(REPLACE ";" "_" content "${content}")
  string(REPLACE "[" "_" content "${content}")
  string(REPLACE "]" "_" content "${content}")
  string(REPLACE "\\" "_" content "${content}")
  string(REPLACE "\r" "" content "${content}")
  string(REPLACE "\n" ";" content "${content}")
  set(${out} "${content}" PARENT_SCOPE)
endfunction()

function(write_if_changed file text)
  if(EXISTS "${file}")
    file(READ "${file}" old)
    if(old STREQUAL text)
      return()
    endif()
  endif()
  file(WRITE "${file}" "${text}")
endfunction()

set(header "// Generated at build time; do not edit.\n#pragma once\n\n")

# Commands
read_lines("${COMMANDS}" lines)
set(body "")
set(seen "")
foreach(line IN LISTS lines)
  if(line MATCHES "^#" OR line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^([0-9]+)\t([A-Za-z_][A-Za-z0-9_]*)\t")
    message(FATAL_ERROR "${COMMANDS}: a command line without id and symbol: ${line}")
  endif()
  set(id "${CMAKE_MATCH_1}")
  set(symbol "${CMAKE_MATCH_2}")
  if(symbol IN_LIST seen)
    message(FATAL_ERROR "${COMMANDS}: the symbol ${symbol} names two commands")
  endif()
  list(APPEND seen "${symbol}")
  string(APPEND body "inline constexpr int ${symbol} = ${id};\n")
endforeach()
write_if_changed("${OUT_DIR}/CommandIds.h"
  "${header}// The command ids of resources/commands.txt, by their symbols.\nnamespace orvel {\n\n${body}\n} // namespace orvel\n")

# Strings
read_lines("${STRINGS}" lines)
set(body "")
set(seen "")
foreach(line IN LISTS lines)
  if(line MATCHES "^#" OR line STREQUAL "")
    continue()
  endif()
  if(line MATCHES "^([0-9]+)\t[^\t]*\t([A-Za-z_][A-Za-z0-9_]*)$")
    set(id "${CMAKE_MATCH_1}")
    set(symbol "${CMAKE_MATCH_2}")
    if(symbol IN_LIST seen)
      message(FATAL_ERROR "${STRINGS}: the symbol ${symbol} names two strings")
    endif()
    list(APPEND seen "${symbol}")
    string(APPEND body "inline constexpr int ${symbol} = ${id};\n")
  endif()
endforeach()
write_if_changed("${OUT_DIR}/StringIds.h"
  "${header}// The ids of resources/strings.txt that the code names: messages, captions,\n// filters and the texts of bars and panes.\nnamespace orvel::ids {\n\n${body}\n} // namespace orvel::ids\n")
