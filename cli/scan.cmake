# kestro-scan: the command-line scanner.
kestro_executable(kestro-scan
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/scan/main.cpp ${CMAKE_CURRENT_LIST_DIR}/scan/console_output.cpp
          ${CMAKE_CURRENT_LIST_DIR}/scan/scan_options.cpp ${CMAKE_CURRENT_LIST_DIR}/scan/path_filter.cpp
  DEPS kestro_cli_common kestro_scan kestro_remedy kestro_log kestro_sigdb kestro_checks kestro_platform)
target_include_directories(kestro-scan PRIVATE ${CMAKE_SOURCE_DIR})
