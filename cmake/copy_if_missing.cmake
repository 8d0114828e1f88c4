# cmake -DFROM=file -DTO=file -P copy_if_missing.cmake: copies only when TO does not exist.
if(NOT EXISTS "${TO}")
  file(COPY_FILE "${FROM}" "${TO}")
endif()
