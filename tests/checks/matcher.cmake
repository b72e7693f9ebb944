# The fast marker search against the reference automaton, kernel by kernel.
kestro_test(checks_matcher_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/marker_matcher_test.cpp DEPS kestro_checks)
