# The content checks: one suite per check family, on fixtures built in memory.
kestro_test(checks_detection_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/script_checks_test.cpp ${CMAKE_CURRENT_LIST_DIR}/pe_checks_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/win32_shortcut_test.cpp ${CMAKE_CURRENT_LIST_DIR}/matcher_view_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/support/lnk_builder.cpp
  DEPS kestro_checks)
