# File check throughput against the read floor of the same generated tree.
kestro_executable(kestro-bench-filecheck SOURCES filecheck_bench.cpp DEPS kestro_scan)
set_target_properties(kestro-bench-filecheck PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
