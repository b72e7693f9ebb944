kestro_test(cli_scan_test SOURCES scan_test.cpp DEPS kestro_checks)
add_dependencies(cli_scan_test kestro-scan)
