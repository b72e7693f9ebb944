# The running-process scan over fakes.
kestro_test(scan_process_scan_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/process_scan_test.cpp
  DEPS kestro_scan)
