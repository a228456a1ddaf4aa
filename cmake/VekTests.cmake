# vek_add_test(<name> SOURCES <files...> LIBS <targets...> [PROPERTIES <ctest properties...>])
#
# One GoogleTest executable per test folder. Every test case becomes a ctest
# test named <name>.<Suite>.<Case>, with the given PROPERTIES (e.g.
# RESOURCE_LOCK for cases that share a device). In the Windows build the
# executable goes to testbin/ and runs through the emulator (scripts/wine-run);
# its cases are listed when ctest starts (PRE_TEST), never at build time, so a
# build never starts Wine. Its main is tests/gui/harness/test_main.cpp.
#
# Every case's environment holds TZ=UTC (natively; scripts/wine-run gives it
# to every Windows program), VEK_TEST_ALONE=1 for a Windows case ctest runs
# alone (RUN_SERIAL with a true value: it has the desktop to itself and starts
# with no window of another program shown, tests/gui/harness/known_desktop.h),
# and the entries of its own ENVIRONMENT.
include(GoogleTest)

# vek_test_environment(<environment var> <properties var> WINDOWS <bool> PROPERTIES <properties...>)
#
# Splits a case's PROPERTIES into its environment, as above, and the other
# properties. In a flat property list an ENVIRONMENT entry is NAME=VALUE and a
# property's name never holds "=", so the entries are the items after
# ENVIRONMENT that hold one.
function(vek_test_environment out_environment out_properties)
  cmake_parse_arguments(ARG "" "WINDOWS" "PROPERTIES" ${ARGN})
  set(environment)
  set(others)
  set(alone FALSE)
  set(in_environment FALSE)
  list(LENGTH ARG_PROPERTIES count)
  set(i 0)
  while(i LESS count)
    list(GET ARG_PROPERTIES ${i} item)
    math(EXPR i "${i} + 1")
    if(in_environment AND item MATCHES "^[^=]+=")
      list(APPEND environment "${item}")
      continue()
    endif()
    set(in_environment FALSE)
    if(item STREQUAL "ENVIRONMENT")
      set(in_environment TRUE)
    elseif(item STREQUAL "RUN_SERIAL" AND i LESS count)
      list(GET ARG_PROPERTIES ${i} value)
      math(EXPR i "${i} + 1")
      list(APPEND others RUN_SERIAL "${value}")
      if(value)
        set(alone TRUE)
      endif()
    else()
      list(APPEND others "${item}")
    endif()
  endwhile()
  if(ARG_WINDOWS)
    if(alone)
      list(PREPEND environment "VEK_TEST_ALONE=1")
    endif()
  else()
    list(PREPEND environment "TZ=UTC")
  endif()
  set(${out_environment} "${environment}" PARENT_SCOPE)
  set(${out_properties} "${others}" PARENT_SCOPE)
endfunction()

function(vek_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} vek_gtest_main vek_options)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  vek_test_environment(environment properties WINDOWS "${VEK_IS_WINDOWS}" PROPERTIES ${ARG_PROPERTIES})
  if(VEK_IS_WINDOWS)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VEK_TEST_OUTPUT_DIRECTORY})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_PREFIX "${name}."
                         TEST_LIST ${name}_cases PROPERTIES ${properties})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${name}." TEST_LIST ${name}_cases
                         PROPERTIES ${properties})
  endif()
  # gtest_discover_tests flattens a list among its PROPERTIES, so a second
  # environment entry would become a property name: the environment is set by
  # a file ctest reads after the one that defines the discovered cases.
  if(environment)
    set(file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
    file(WRITE ${file}
         "if(${name}_cases)\n"
         "  set_tests_properties(\${${name}_cases} PROPERTIES ENVIRONMENT [==[${environment}]==])\n"
         "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
  endif()
endfunction()
