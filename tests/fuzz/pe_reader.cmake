kestro_fuzz(fuzz_pe_reader SOURCES pe_reader_fuzz.cpp DEPS kestro_io)
