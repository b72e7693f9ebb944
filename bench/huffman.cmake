kestro_executable(kestro-bench-huffman SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/huffman_bench.cpp DEPS kestro_remedy)
set_target_properties(kestro-bench-huffman PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
