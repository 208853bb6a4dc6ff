# ovx_add_module(<target> FILE <Windows file name> [DEF <file.def>] SOURCES ...)
#
# A module is what Windows would load as a DLL or start as an EXE: here an ELF
# shared object whose file name is the Windows name, collected in
# OVX_MODULE_DIR so the station can install it where an installation puts it.
# With a .def file only the names under EXPORTS (decorations stripped) leave
# the module, as with a Windows linker; DllMain and WinMain are always visible
# to the loader.
function(ovx_add_module target)
  cmake_parse_arguments(M "" "FILE;DEF" "SOURCES;LIBS" ${ARGN})
  add_library(${target} SHARED ${M_SOURCES})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME ${M_FILE}
    LIBRARY_OUTPUT_DIRECTORY ${OVX_MODULE_DIR})
  target_link_libraries(${target} PRIVATE ovxhost ${M_LIBS})
  if(M_DEF)
    set(def ${CMAKE_CURRENT_SOURCE_DIR}/${M_DEF})
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports)
    add_custom_command(OUTPUT ${script}
      COMMAND ${CMAKE_COMMAND} -DDEF=${def} -DOUT=${script} -P ${CMAKE_SOURCE_DIR}/cmake/DefToVersionScript.cmake
      DEPENDS ${def} ${CMAKE_SOURCE_DIR}/cmake/DefToVersionScript.cmake)
    add_custom_target(${target}_exports DEPENDS ${script})
    add_dependencies(${target} ${target}_exports)
    target_link_options(${target} PRIVATE -Wl,--version-script=${script})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
  endif()
  set_property(GLOBAL APPEND PROPERTY OVX_MODULE_TARGETS ${target})
endfunction()
