# vek_add_skin_module(<target> <module file name> <ini> <image recipe> <output dir>)
#
# A skin module: a resource-only DLL <output dir>/<module file name> holding the
# skin's INI text (UTF-16LE, CRLF) and its images, made at build time from the
# ASCII INI and the image recipe by tools/mkskin/mkskin.py (Python standard
# library only, so the cross build needs no host compiler). The tool checks at
# configure time that the recipe draws every image the INI names, in every
# build; the module itself is built only for Windows.
include_guard(GLOBAL)

function(vek_add_skin_module target module_name ini recipe output_dir)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(tool ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/mkskin.py)
  set(helper ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../mkbitmaps/mkbitmaps.py)
  get_filename_component(ini ${ini} ABSOLUTE)
  get_filename_component(recipe ${recipe} ABSOLUTE)
  execute_process(
    COMMAND ${Python3_EXECUTABLE} ${tool} --list ${ini} ${recipe}
    OUTPUT_VARIABLE names
    ERROR_VARIABLE problem
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "vek_add_skin_module(${target}): ${problem}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ini} ${recipe} ${tool} ${helper})
  if(NOT VEK_IS_WINDOWS)
    return()
  endif()

  set(sources ${CMAKE_CURRENT_BINARY_DIR}/${target})
  string(REPLACE "\n" ";" names "${names}")
  set(files)
  foreach(name IN LISTS names)
    if(name)
      list(APPEND files ${sources}/${name})
    endif()
  endforeach()
  add_custom_command(
    OUTPUT ${files}
    COMMAND ${Python3_EXECUTABLE} ${tool} ${ini} ${recipe} ${sources}
    DEPENDS ${ini} ${recipe} ${tool} ${helper}
    COMMENT "Making the skin sources of ${module_name}"
    VERBATIM)
  add_custom_target(${target}_sources DEPENDS ${files})

  add_library(${target} SHARED ${sources}/skin.rc)
  set_source_files_properties(${sources}/skin.rc PROPERTIES GENERATED TRUE OBJECT_DEPENDS "${files}")
  add_dependencies(${target} ${target}_sources)
  target_include_directories(${target} PRIVATE ${sources})
  get_filename_component(stem ${module_name} NAME_WE)
  get_filename_component(suffix ${module_name} EXT)
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${stem}
    SUFFIX ${suffix}
    LINKER_LANGUAGE C
    RUNTIME_OUTPUT_DIRECTORY ${output_dir}
    LIBRARY_OUTPUT_DIRECTORY ${output_dir})
  # No code, no C runtime, no entry point: loading the module runs nothing.
  target_link_options(${target} PRIVATE -nostdlib -Wl,-e,0 -Wl,--no-insert-timestamp)
endfunction()
