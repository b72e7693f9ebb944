kestro_fuzz(fuzz_rgs_script SOURCES rgs_script_fuzz.cpp DEPS kestro_com)
