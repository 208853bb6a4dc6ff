# 32-bit x86 build settings shared by every target.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_STANDARD 11)
option(OVX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
# A sanitized build is a Debug build: unoptimised code compiles in half the
# time of -O1 under the sanitizers, and assertions stay on.
if(NOT CMAKE_BUILD_TYPE)
  if(OVX_SANITIZE)
    set(CMAKE_BUILD_TYPE Debug CACHE STRING "" FORCE)
  else()
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "" FORCE)
  endif()
endif()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# GetProcAddress results are cast to their real types: the Win32 idiom.
add_compile_options(-m32 -Wall -Wextra -Wno-cast-function-type)
# The project builds with NOMINMAX, as C++ Win32 code usually does.
add_compile_definitions(NOMINMAX)
add_link_options(-m32)

if(OVX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  add_library(ovx_sanitizer_defaults OBJECT ${CMAKE_CURRENT_LIST_DIR}/sanitizer_defaults.c)
  link_libraries(ovx_sanitizer_defaults)
endif()

# Some machines cannot execute 32-bit binaries natively; those run them under
# qemu's user-mode emulator. Decide once by trying a tiny program.
set(_probe_dir ${CMAKE_BINARY_DIR}/probe32)
file(MAKE_DIRECTORY ${_probe_dir})
file(WRITE ${_probe_dir}/probe.c "int main(void){return sizeof(void*) == 4 ? 0 : 1;}\n")
execute_process(COMMAND ${CMAKE_C_COMPILER} -m32 ${_probe_dir}/probe.c -o ${_probe_dir}/probe
                RESULT_VARIABLE _probe_build OUTPUT_QUIET ERROR_QUIET)
if(NOT _probe_build EQUAL 0)
  message(FATAL_ERROR "The compiler cannot build 32-bit programs: install g++-multilib (scripts/bootstrap.sh).")
endif()
execute_process(COMMAND ${_probe_dir}/probe RESULT_VARIABLE _probe_run OUTPUT_QUIET ERROR_QUIET)
set(OVX_EMULATOR "" CACHE INTERNAL "")
if(NOT _probe_run EQUAL 0)
  find_program(OVX_QEMU_I386 qemu-i386)
  if(NOT OVX_QEMU_I386)
    message(FATAL_ERROR "This machine cannot run 32-bit programs and qemu-i386 is missing (scripts/bootstrap.sh).")
  endif()
  set(OVX_EMULATOR ${OVX_QEMU_I386} CACHE INTERNAL "")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${OVX_QEMU_I386})
  message(STATUS "32-bit programs run under ${OVX_QEMU_I386}")
endif()

# Hosted headers: what deliverables see as <windows.h> and friends.
set(OVX_WIN32_INCLUDE ${CMAKE_SOURCE_DIR}/platform/include)
# Where the build collects every module (DLL or program) under its Windows name.
set(OVX_MODULE_DIR ${CMAKE_BINARY_DIR}/modules)
file(MAKE_DIRECTORY ${OVX_MODULE_DIR})

function(ovx_optional_subdirectory dir)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/${dir} ${CMAKE_BINARY_DIR}/${dir})
  endif()
endfunction()
