# Cross build of the 64-bit product with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CORVEN_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
