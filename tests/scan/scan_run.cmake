kestro_test(scan_run_test SOURCES scan_run_test.cpp DEPS kestro_scan)
# The parallel sink commits what the sequential one does, for every thread count.
kestro_test(scan_pipeline_sink_test SOURCES pipeline_sink_test.cpp DEPS kestro_scan)
