# ovx_add_resources(<module target> <script.rc> [INCLUDE <dir>...])
#
# Compiles a Win32 resource script into the module's resource table: the C
# preprocessor runs first (RC_INVOKED defined; the script's folder, the
# INCLUDE folders and the hosted Win32 headers on the include path), then
# ovx_rc (tools/rc) turns the result into a C++ source defining
# `ovx_module_resources`, which is compiled into the module. ovx_rc's depfile
# lists every header and image file the script used.
function(ovx_add_resources target script)
  cmake_parse_arguments(R "" "" "INCLUDE" ${ARGN})
  get_filename_component(script_path ${script} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(script_dir ${script_path} DIRECTORY)
  get_filename_component(script_name ${script_path} NAME_WE)
  set(include_flags -I${script_dir})
  set(search_flags)
  foreach(dir IN LISTS R_INCLUDE)
    get_filename_component(dir ${dir} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND include_flags -I${dir})
    list(APPEND search_flags -I ${dir})
  endforeach()
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(preprocessed ${out_dir}/${script_name}.rc.i)
  set(generated ${out_dir}/${script_name}_resources.cpp)
  file(MAKE_DIRECTORY ${out_dir})
  add_custom_command(OUTPUT ${generated}
    COMMAND ${CMAKE_C_COMPILER} -m32 -E -x c -DRC_INVOKED ${include_flags} -I${OVX_WIN32_INCLUDE}
            ${script_path} -o ${preprocessed}
    COMMAND ${OVX_EMULATOR} $<TARGET_FILE:ovx_rc> ${preprocessed} ${script_path} ${generated}
            --depfile ${generated}.d ${search_flags}
    DEPENDS ${script_path} ovx_rc
    DEPFILE ${generated}.d
    COMMENT "Compiling resources ${script}"
    VERBATIM)
  target_sources(${target} PRIVATE ${generated})
  set_source_files_properties(${generated} PROPERTIES
    INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/platform/kernel)
endfunction()
