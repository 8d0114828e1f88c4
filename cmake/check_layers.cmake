# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the rooms of src/ form layers: a file may include the headers of
# its own room and of rooms in lower layers only, so no two rooms include each
# other, directly or through others.
# Usage: cmake -DSOURCE_DIR=src -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)

# From the bottom up; the rooms of one layer do not include each other.
set(layers
  "base platform"
  "channels config"
  "speech"
  "audio"
  "publishing"
  "run"
  "sharing"
  "service"
  "channels/gui"
  "app")

set(rank 0)
set(known_rooms "")
foreach(layer IN LISTS layers)
  separate_arguments(rooms UNIX_COMMAND "${layer}")
  foreach(room IN LISTS rooms)
    string(REPLACE "/" "_" key "${room}")
    set(rank_${key} ${rank})
    list(APPEND known_rooms "${room}")
  endforeach()
  math(EXPR rank "${rank} + 1")
endforeach()

# The room of a path below src/: channels/gui is a room of its own.
function(room_of path out)
  if(path MATCHES "^channels/gui/")
    set(${out} "channels/gui" PARENT_SCOPE)
  else()
    string(REGEX REPLACE "/.*" "" first "${path}")
    set(${out} "${first}" PARENT_SCOPE)
  endif()
endfunction()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(faults "")
foreach(source IN LISTS sources)
  if(NOT source MATCHES "/")
    continue()
  endif()
  room_of("${source}" from)
  if(NOT from IN_LIST known_rooms)
    list(APPEND faults "${source}: the room ${from} has no layer")
    continue()
  endif()
  string(REPLACE "/" "_" from_key "${from}")
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^#include \"[^\"]+/[^\"]+\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
    room_of("${header}" to)
    if(to STREQUAL from OR NOT to IN_LIST known_rooms)
      continue()
    endif()
    string(REPLACE "/" "_" to_key "${to}")
    if(NOT rank_${to_key} LESS rank_${from_key})
      list(APPEND faults "${source} (${from}) includes ${header} (${to})")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " message)
  message(FATAL_ERROR "Rooms out of their layers:\n  ${message}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files, every include within its room or below it")
