kestro_fuzz(fuzz_icon SOURCES icon_fuzz.cpp DEPS kestro_icon)
