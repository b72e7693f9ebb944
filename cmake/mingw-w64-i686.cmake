# Cross-compiles for 32-bit Windows with mingw-w64 (posix thread model). These
# binaries are built and checked statically; this machine cannot run x86 code.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
