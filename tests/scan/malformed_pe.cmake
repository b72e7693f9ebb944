# Malformed PE images and random bytes through the file check (run it in the sanitizer tree).
kestro_test(scan_malformed_pe_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/malformed_pe_test.cpp
  DEPS kestro_scan)
