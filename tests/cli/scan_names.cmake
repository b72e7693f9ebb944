# kestro-scan, kestro-sigtool and kestro-quarantine with any file name and any
# kind of file, and kestro-scan's options for scripts and rescue systems.
kestro_test(cli_scan_names_test SOURCES scan_names_test.cpp DEPS kestro_checks kestro_platform)
add_dependencies(cli_scan_names_test kestro-scan kestro-sigtool kestro-quarantine kestro_databases)
