# Compiler settings shared by every target, and the helper that makes a folder's library.

set(CORVEN_WARNINGS -Wall -Wextra -Werror -Wshadow -Wformat=2 -Wundef -Wcast-align -Wnon-virtual-dtor)

if(WIN32)
  # The product: no C runtime, no exceptions, small, and the same bytes from every build.
  set(CORVEN_PRODUCT_FLAGS
      -Os -ffreestanding -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
      -fno-stack-protector -fno-tree-loop-distribute-patterns -fno-ident
      -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.
      -D_WIN32_WINNT=0x0400 -DWINVER=0x0400 -DWIN32_LEAN_AND_MEAN)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(CORVEN_ENTRY _WinMainCRTStartup)
  else()
    set(CORVEN_ENTRY WinMainCRTStartup)
  endif()
else()
  # The host build: the product's sources against winsim, under ASan and UBSan.
  set(CORVEN_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${CORVEN_SANITIZERS} -g -O1)
  add_link_options(${CORVEN_SANITIZERS})
endif()

# corven_library(NAME SOURCES...): one folder's code as a static library.
function(corven_library name)
  add_library(${name} STATIC ${ARGN})
  target_compile_options(${name} PRIVATE ${CORVEN_WARNINGS} ${CORVEN_PRODUCT_FLAGS})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(NOT WIN32)
    target_link_libraries(${name} PUBLIC winsim)
  endif()
endfunction()
