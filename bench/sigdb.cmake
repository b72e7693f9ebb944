# Signature database loading and lookups.
kestro_executable(kestro-bench-sigdb SOURCES sigdb_bench.cpp DEPS kestro_sigdb)
set_target_properties(kestro-bench-sigdb PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
