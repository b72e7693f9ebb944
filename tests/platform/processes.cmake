# The process list of the POSIX platform (/proc); Windows has its own under Wine.
if(NOT KESTRO_WINDOWS)
  kestro_test(platform_processes_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/processes_test.cpp DEPS kestro_platform)
  add_dependencies(platform_processes_test kestro-test-sleeper)
endif()
