# The resource pipeline of the Windows build.
#
# vek_add_language_module(<name> <rc file> <output dir>)
#   A resource-only DLL <output dir>/<name>.dll built from the script (string
#   tables, nothing else): no code, no C runtime, no entry point, so loading it
#   runs nothing. The program loads such modules as data for LoadString. The
#   script may include headers relative to the project root or its own folder.
#
# vek_generate_bitmaps(<target> <recipe file> <output dir>)
#   Runs tools/mkbitmaps/mkbitmaps.py at build time: every bitmap and icon the
#   recipe names is written to <output dir> (solid colours per cell, see the
#   tool). <target> is a custom target to depend on; <target>_FILES (in the
#   caller's scope) lists the files. A resource script that uses them gets
#   <output dir> as an include directory and the files as OBJECT_DEPENDS:
#
#     vek_generate_bitmaps(app_bitmaps bitmaps.txt ${CMAKE_CURRENT_BINARY_DIR}/art)
#     target_include_directories(app_res PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/art)
#     set_source_files_properties(app.rc PROPERTIES OBJECT_DEPENDS "${app_bitmaps_FILES}")
#     add_dependencies(app_res app_bitmaps)
#
#   The tool is Python (standard library only), so the cross build needs no
#   host compiler. The recipe is read at configure time for the list of files;
#   changing it re-runs the configuration.
include_guard(GLOBAL)

function(vek_add_language_module name rc_file output_dir)
  add_library(${name} SHARED ${rc_file})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    LINKER_LANGUAGE C
    RUNTIME_OUTPUT_DIRECTORY ${output_dir}
    LIBRARY_OUTPUT_DIRECTORY ${output_dir})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  # GNU ld for PE has no --no-entry: entry address 0 means none.
  target_link_options(${name} PRIVATE -nostdlib -Wl,-e,0 -Wl,--no-insert-timestamp)
endfunction()

function(vek_generate_bitmaps target recipe_file output_dir)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  get_filename_component(tool ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tools/mkbitmaps/mkbitmaps.py ABSOLUTE)
  get_filename_component(recipe ${recipe_file} ABSOLUTE)
  execute_process(
    COMMAND ${Python3_EXECUTABLE} ${tool} --list ${recipe}
    OUTPUT_VARIABLE names
    ERROR_VARIABLE problem
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "vek_generate_bitmaps(${target}): ${problem}")
  endif()
  string(REPLACE "\n" ";" names "${names}")
  set(files)
  foreach(name IN LISTS names)
    if(name)
      list(APPEND files ${output_dir}/${name})
    endif()
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${recipe})
  add_custom_command(
    OUTPUT ${files}
    COMMAND ${Python3_EXECUTABLE} ${tool} ${recipe} ${output_dir}
    DEPENDS ${recipe} ${tool}
    COMMENT "Making the pictures of ${recipe_file}"
    VERBATIM)
  add_custom_target(${target} DEPENDS ${files})
  set(${target}_FILES ${files} PARENT_SCOPE)
endfunction()
