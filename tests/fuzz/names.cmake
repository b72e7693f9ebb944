# Untrusted names: UTF-8 counting, cutting and repair, the JSON text of a name,
# and kestro-scan's exclusion patterns.
kestro_fuzz(fuzz_names SOURCES names_fuzz.cpp ${CMAKE_SOURCE_DIR}/cli/scan/path_filter.cpp
            ${CMAKE_SOURCE_DIR}/cli/scan/console_output.cpp DEPS kestro_scan kestro_cli_common)
