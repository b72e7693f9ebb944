# The safe extraction path of archive members, and RARExtract over libarchive
# (its sources built into the fuzzer, against Debian's libarchive).
kestro_fuzz(fuzz_archive_member_path SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_member_path_fuzz.cpp
                                             ${CMAKE_SOURCE_DIR}/scan/archive_member_path.cpp)
if(TARGET kestro_libarchive AND NOT KESTRO_WINDOWS)
  kestro_fuzz(fuzz_rar_extract SOURCES ${CMAKE_CURRENT_LIST_DIR}/rar_extract_fuzz.cpp
              ${CMAKE_SOURCE_DIR}/outside/RARExtract/rar_extract.cpp
              ${CMAKE_SOURCE_DIR}/outside/RARExtract/archive_session.cpp
              ${CMAKE_SOURCE_DIR}/outside/RARExtract/native_text.cpp
              ${CMAKE_SOURCE_DIR}/outside/RARExtract/rar5_encryption.cpp
              DEPS kestro_libarchive)
endif()
