# The icon heuristic: extraction, rendering, values and the check.
kestro_test(checks_icon_test
  SOURCES icon_value_test.cpp icon_resources_test.cpp icon_heuristic_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/support/icon_builder.cpp ${CMAKE_SOURCE_DIR}/tests/support/icon_fixtures.cpp
  DEPS kestro_checks kestro_sigdb)

# kestro-sigtool icon, run as a program.
kestro_test(checks_icon_sigtool_test
  SOURCES icon_sigtool_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/support/icon_builder.cpp ${CMAKE_SOURCE_DIR}/tests/support/icon_fixtures.cpp
  DEPS kestro_checks)
add_dependencies(checks_icon_sigtool_test kestro-sigtool)

# The sample icon entries of the default DB_2x.avn.
kestro_test(checks_icon_database_test
  SOURCES icon_database_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/support/icon_builder.cpp ${CMAKE_SOURCE_DIR}/tests/support/icon_fixtures.cpp
  DEPS kestro_checks kestro_sigdb)
add_dependencies(checks_icon_database_test kestro_databases)
