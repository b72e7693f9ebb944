kestro_test(scan_walk_test SOURCES scan_walk_test.cpp DEPS kestro_scan)
