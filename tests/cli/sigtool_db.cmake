# kestro-sigtool build and dump, and the default databases the build compiles.
kestro_test(cli_sigtool_db_test SOURCES sigtool_db_test.cpp DEPS kestro_sigdb)
add_dependencies(cli_sigtool_db_test kestro-sigtool kestro_databases)
