# The console tools' console edge: UTF-16 to a real console, bytes to a pipe.
if(KESTRO_WINDOWS)
  kestro_test(wine_cli_console_test SOURCES cli_console_test.cpp DEPS kestro_cli_common)
endif()
