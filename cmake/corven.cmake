# Compiler settings shared by every target, and the helper that makes a folder's library.

set(CORVEN_WARNINGS -Wall -Wextra -Werror -Wshadow -Wformat=2 -Wundef -Wcast-align -Wnon-virtual-dtor)

if(WIN32)
  # The product: no C runtime, no exceptions, small, and the same bytes from every build.
  set(CORVEN_PRODUCT_FLAGS
      -Os -ffreestanding -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
      -fno-stack-protector -fno-tree-loop-distribute-patterns -fno-ident -ffunction-sections
      -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.
      -D_WIN32_WINNT=0x0400 -DWINVER=0x0400 -DWIN32_LEAN_AND_MEAN)
  # The product's own -Os stands alone.
  set(CMAKE_CXX_FLAGS_RELEASE "")
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(CORVEN_ENTRY _WinMainCRTStartup)
  else()
    set(CORVEN_ENTRY WinMainCRTStartup)
  endif()
  set(CORVEN_PRODUCT_LINK_OPTIONS
      -nostdlib -nostartfiles -s -Wl,-e,${CORVEN_ENTRY} -Wl,--subsystem,windows:4.0
      -Wl,--major-os-version,4 -Wl,--minor-os-version,0 -Wl,--no-insert-timestamp
      -Wl,--build-id=none -Wl,--gc-sections -Wl,--disable-dynamicbase -Wl,--disable-reloc-section)
else()
  # The host build: the product's sources against winsim, under ASan and UBSan.
  set(CORVEN_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
endif()

# corven_sanitize(TARGET): the host's checked build of a target.
function(corven_sanitize target)
  target_compile_options(${target} PRIVATE ${CORVEN_SANITIZERS} -g -O1)
  target_link_options(${target} PUBLIC ${CORVEN_SANITIZERS})
endfunction()

# corven_library(NAME SOURCES...): one folder's code as a static library.
function(corven_library name)
  add_library(${name} STATIC ${ARGN})
  target_compile_options(${name} PRIVATE ${CORVEN_WARNINGS} ${CORVEN_PRODUCT_FLAGS})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(NOT WIN32)
    target_link_libraries(${name} PUBLIC winsim)
    corven_sanitize(${name})
  endif()
endfunction()
