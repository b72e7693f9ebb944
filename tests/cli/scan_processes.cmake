# kestro-scan --processes against a running test program. The test program
# (kestro-test-sleeper) also serves the Windows process-scan tests.
add_executable(kestro-test-sleeper ${CMAKE_CURRENT_LIST_DIR}/process_sleeper.cpp)
kestro_setup_target(kestro-test-sleeper)
set_target_properties(kestro-test-sleeper PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

kestro_test(cli_scan_processes_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/scan_processes_test.cpp DEPS kestro_checks)
add_dependencies(cli_scan_processes_test kestro-scan kestro-sigtool kestro-test-sleeper)
