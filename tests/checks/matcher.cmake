# The fast marker search against the reference automaton, kernel by kernel, and
# the vector passes over text (NUL removal, the script statistic).
kestro_test(checks_matcher_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/marker_matcher_test.cpp ${CMAKE_CURRENT_LIST_DIR}/text_passes_test.cpp
  DEPS kestro_checks)
