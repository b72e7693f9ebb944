# kestro-quarantine: the quarantine store and the HE3 container from the console.
kestro_executable(kestro-quarantine
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/quarantine/main.cpp
  DEPS kestro_cli_common kestro_remedy)
