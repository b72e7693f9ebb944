# kestro-scan --processes: the running processes' executables.
target_sources(kestro-scan PRIVATE ${CMAKE_CURRENT_LIST_DIR}/scan/process_mode.cpp)
