kestro_test(scan_run_test SOURCES scan_run_test.cpp DEPS kestro_scan)
