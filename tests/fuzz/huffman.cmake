kestro_fuzz(fuzz_huffman SOURCES huffman_fuzz.cpp DEPS kestro_remedy)
