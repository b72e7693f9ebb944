# kestro-sigtool publish -> a loopback HTTP server -> kestro-update.
kestro_test(cli_update_test SOURCES update_test.cpp DEPS kestro_update kestro_sigdb kestro_test_http)
add_dependencies(cli_update_test kestro-update kestro-sigtool)
