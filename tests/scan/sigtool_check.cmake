# The `check` sub-command of kestro-sigtool.
kestro_test(scan_sigtool_check_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sigtool_check_test.cpp
  DEPS kestro_checks)
add_dependencies(scan_sigtool_check_test kestro-sigtool)
