# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DFROM=path -DTO=path -P copy_if_missing.cmake: copies a file only when TO does not
# exist; for a folder, each file below it that is missing at its place below TO.
if(IS_DIRECTORY "${FROM}")
  file(GLOB_RECURSE files RELATIVE "${FROM}" "${FROM}/*")
  foreach(file IN LISTS files)
    if(NOT EXISTS "${TO}/${file}")
      get_filename_component(folder "${TO}/${file}" DIRECTORY)
      file(MAKE_DIRECTORY "${folder}")
      file(COPY_FILE "${FROM}/${file}" "${TO}/${file}")
    endif()
  endforeach()
elseif(NOT EXISTS "${TO}")
  file(COPY_FILE "${FROM}" "${TO}")
endif()
