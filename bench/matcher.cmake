# The marker search alone: the reference automaton beside the fast search, per kernel.
kestro_executable(kestro-bench-matcher SOURCES matcher_bench.cpp DEPS kestro_checks)
set_target_properties(kestro-bench-matcher PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
