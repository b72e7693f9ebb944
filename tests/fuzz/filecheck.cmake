kestro_fuzz(fuzz_filecheck SOURCES filecheck_fuzz.cpp DEPS kestro_scan)
