# Archive support of the scan engine: the binding of the outside archive library
# (RARExtract) and the safe extraction path of archive members. Included from
# this folder's CMakeLists.txt (or by the tests that need it before that exists).
if(NOT TARGET kestro_scan_archive)
  kestro_library(kestro_scan_archive
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_library.cpp ${CMAKE_CURRENT_LIST_DIR}/archive_member_path.cpp
    DEPS kestro_platform)
endif()
