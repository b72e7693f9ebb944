# The file check, scanning one file and packer identification.
kestro_test(scan_file_check_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_check_test.cpp
  DEPS kestro_scan)
