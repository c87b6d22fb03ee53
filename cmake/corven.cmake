# Compiler settings shared by every target, and the helpers the folders build with.

# Every warning that finds real faults in this kind of code, as errors, on every build.
set(CORVEN_WARNINGS -Wall -Wextra -Werror -Wshadow -Wformat=2 -Wundef -Wcast-align -Wnon-virtual-dtor)

# WIN32 is true when the toolchain file targets Windows: this is a cross build of the product
# with MinGW-w64. Otherwise this is the host build, against winsim.
if(WIN32)
  set(CORVEN_PRODUCT_FLAGS
      # Small code: the product's size matters more than its speed.
      -Os
      # No C runtime: no hosted library behind the compiler, and nothing that needs one (exception
      # tables, type information, unwind tables, the stack protector's guard and handler).
      -ffreestanding -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
      -fno-stack-protector
      # Loops stay loops: GCC would otherwise turn them into calls of memset and memcpy, which
      # app/memory.cpp provides only for what GCC cannot do without.
      -fno-tree-loop-distribute-patterns
      # The same bytes from every build: no compiler version string, no build folder in the output.
      -fno-ident -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.
      # Each function in its own section, so the linker drops the ones nothing calls.
      -ffunction-sections
      # The whole program optimised as one at link time: helpers used once are inlined into their
      # caller and what no path reaches is dropped, about a kilobyte of code less.
      -flto
      # Data aligned as the ABI asks, not padded to cache lines: the file is smaller so.
      -malign-data=abi
      # No stack probes: they need libgcc's ___chkstk_ms and make GCC pass arguments by moves
      # rather than pushes. That is sound only while no frame reaches the 4 KiB guard page, so
      # a frame that comes near it is an error.
      -mno-stack-arg-probe -Wframe-larger-than=3072
      # The headers as Windows 95 and NT 4.0 have them: nothing newer can be called by mistake.
      -D_WIN32_WINNT=0x0400 -DWINVER=0x0400 -DWIN32_LEAN_AND_MEAN)
  # The product's own -Os stands alone: no -O2 -DNDEBUG from the Release type.
  set(CMAKE_CXX_FLAGS_RELEASE "")
  # The entry point of our own; i686 symbols carry a leading underscore.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(CORVEN_ENTRY _WinMainCRTStartup)
    # Win32 keeps the stack 4-byte aligned, and the product uses nothing that needs more: no code
    # to realign it.
    list(APPEND CORVEN_PRODUCT_FLAGS -mpreferred-stack-boundary=2)
  else()
    set(CORVEN_ENTRY WinMainCRTStartup)
  endif()
  set(CORVEN_PRODUCT_LINK_OPTIONS
      # No C runtime and no start-up files: our entry point calls WinMain and ExitProcess.
      -nostdlib -nostartfiles -Wl,-e,${CORVEN_ENTRY}
      # No symbols in the shipped file.
      -s
      # A GUI program that Windows 95 and NT 4.0 load: subsystem and OS version 4.0.
      -Wl,--subsystem,windows:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0
      # The same bytes from every build: no time stamp, no build id.
      -Wl,--no-insert-timestamp -Wl,--build-id=none
      # Drop the sections nothing uses, and lay out the rest with the read-only data in .text.
      -Wl,--gc-sections -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/product.ld
      # Loaded at its preferred base, as old loaders expect: no ASLR flag and no relocations.
      -Wl,--disable-dynamicbase -Wl,--disable-reloc-section)
else()
  # The host build: the product's sources against winsim, under ASan and UBSan, stopping at the
  # first undefined behaviour.
  set(CORVEN_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
endif()

# corven_sanitize(TARGET [OPTIMISATION]): the host's checked build of a target, at -O1 unless told
# otherwise.
function(corven_sanitize target)
  set(level -O1)
  if(ARGC GREATER 1)
    set(level ${ARGV1})
  endif()
  target_compile_options(${target} PRIVATE ${CORVEN_SANITIZERS} -g ${level})
  target_link_options(${target} PUBLIC ${CORVEN_SANITIZERS})
endfunction()

# corven_library(NAME SOURCES...): one folder's code as a static library; in the host build it
# calls winsim's Win32.
function(corven_library name)
  add_library(${name} STATIC ${ARGN})
  target_compile_options(${name} PRIVATE ${CORVEN_WARNINGS} ${CORVEN_PRODUCT_FLAGS})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(NOT WIN32) # the host build
    target_link_libraries(${name} PUBLIC winsim)
    corven_sanitize(${name})
  endif()
endfunction()

# corven_device(TARGET TYPE): compiles the device profile into TARGET for device TYPE.
function(corven_device target type)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/base/device.cpp)
  target_compile_definitions(${target} PRIVATE CORVEN_DEVICE_TYPE=${type})
endfunction()

# corven_program(NAME TYPE FOLDER): CORVEN.EXE for device TYPE in FOLDER, with the product's flags,
# its own entry point, its resources and the platform's libraries alone.
function(corven_program name type folder)
  add_executable(${name} WIN32 ${CMAKE_SOURCE_DIR}/app/entry.cpp ${CMAKE_SOURCE_DIR}/app/memory.cpp
                               ${CORVEN_RESOURCE_OUTPUT})
  set_target_properties(${name} PROPERTIES OUTPUT_NAME CORVEN SUFFIX .EXE RUNTIME_OUTPUT_DIRECTORY ${folder})
  set_source_files_properties(${CORVEN_RESOURCE_OUTPUT} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  add_dependencies(${name} corven_resources)
  corven_device(${name} ${type})
  target_compile_options(${name} PRIVATE ${CORVEN_WARNINGS} ${CORVEN_PRODUCT_FLAGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE corven_run)
  # The link compiles the whole program (-flto), so it takes the compiler's flags too.
  target_link_options(${name} PRIVATE ${CORVEN_PRODUCT_FLAGS} ${CORVEN_PRODUCT_LINK_OPTIONS})
  # comdlg32 is loaded when Browse is pressed, not imported.
  target_link_libraries(${name} PRIVATE kernel32 user32 advapi32)
  # The headers in one 512-byte page: the linker's MS-DOS program takes them past it.
  add_custom_command(TARGET ${name} POST_BUILD
                     COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/fold_headers.py $<TARGET_FILE:${name}>)
endfunction()

# winsim_library(NAME): winsim as a library; the tests' one is sanitized, the benchmark's is not.
function(winsim_library name)
  add_library(${name} STATIC ${WINSIM_SOURCES})
  target_link_libraries(${name} PUBLIC winsim_headers)
  target_compile_options(${name} PRIVATE ${CORVEN_WARNINGS})
  target_compile_definitions(${name} PRIVATE WINSIM_RESOURCE_FILE="${CORVEN_RESOURCE_OUTPUT}"
                                             WINSIM_CODEPAGE_DIR="${WINSIM_CODEPAGE_DIR}")
  add_dependencies(${name} corven_resources winsim_codepages)
endfunction()
