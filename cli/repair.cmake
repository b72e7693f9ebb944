# kestro-repair: the registry repair pass from the Windows console.
if(KESTRO_WINDOWS)
  kestro_executable(kestro-repair
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/repair/main.cpp
    DEPS kestro_cli_common kestro_remedy kestro_platform)
endif()
