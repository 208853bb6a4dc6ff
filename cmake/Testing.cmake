# GoogleTest from Debian's source package, built in-tree for 32-bit.
enable_testing()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources missing: install the googletest package (scripts/bootstrap.sh).")
endif()
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Test code is compiled unoptimised: optimising GoogleTest's macros costs
# several times the build time and buys nothing the tests need.
foreach(_gtest_target gtest gtest_main gmock gmock_main)
  target_compile_options(${_gtest_target} PRIVATE -O0)
endforeach()

# GoogleTest's headers are the larger part of every test source's compile: they are
# compiled once, into a header every test program reuses.
# A program itself, so the header is compiled as position-independent as the tests' code.
add_executable(ovx_test_pch EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/test_pch.cpp)
target_compile_options(ovx_test_pch PRIVATE -O0)
target_link_libraries(ovx_test_pch PRIVATE ovxhost GTest::gtest GTest::gmock)
target_precompile_headers(ovx_test_pch PRIVATE <gtest/gtest.h> <gmock/gmock.h> <string> <vector> <functional>)

# ovx_add_test(<name> SOURCES ... [LIBS ...]): one test executable, registered
# with ctest as one test. Each executable runs as a whole: where 32-bit programs
# need the emulator, starting a process per case (and listing the cases at build
# time) costs more than the cases themselves. A failing case is named in the
# output ctest prints on failure. Tests run with the build's module folder known,
# so a station they boot can install the modules.
function(ovx_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_compile_options(${name} PRIVATE -O0)
  target_precompile_headers(${name} REUSE_FROM ovx_test_pch)
  target_link_libraries(${name} PRIVATE ovxhost ovxhost_testing GTest::gtest GTest::gmock GTest::gtest_main ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "OVX_MODULE_DIR=${OVX_MODULE_DIR}")
endfunction()
