# kestro-update: the database update from a shell, with the desktop program's
# verification and all-or-nothing replacement.
kestro_executable(kestro-update
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/update/main.cpp ${CMAKE_CURRENT_LIST_DIR}/update/console_progress.cpp
  DEPS kestro_cli_common kestro_update kestro_update_net kestro_sigdb)

# kestro-sigtool publish writes update server folders.
target_link_libraries(kestro-sigtool PRIVATE kestro_update)
