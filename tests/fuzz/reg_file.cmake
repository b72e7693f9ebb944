kestro_fuzz(fuzz_reg_file SOURCES reg_file_fuzz.cpp DEPS kestro_remedy)
