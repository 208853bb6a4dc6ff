# GoogleTest from Debian's source package, built in-tree for 32-bit.
enable_testing()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources missing: install the googletest package (scripts/bootstrap.sh).")
endif()
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# ovx_add_test(<name> SOURCES ... [LIBS ...]): one test executable, its cases
# registered with ctest one by one. Tests run with the build's module folder
# known, so a station they boot can install the modules.
function(ovx_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ovxhost ovxhost_testing GTest::gtest GTest::gmock GTest::gtest_main ${T_LIBS})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 600
    PROPERTIES ENVIRONMENT "OVX_MODULE_DIR=${OVX_MODULE_DIR};ASAN_OPTIONS=detect_leaks=0")
endfunction()
