# vek_add_test(<name> SOURCES <files...> LIBS <targets...> [PROPERTIES <ctest properties...>])
#
# One GoogleTest executable per test folder. Every test case becomes a ctest
# test named <name>.<Suite>.<Case>, with TZ=UTC and the given PROPERTIES (e.g. RESOURCE_LOCK for cases that
# share a device). In the Windows build the executable goes to testbin/ and runs
# through the emulator (scripts/wine-run); its cases are listed when ctest
# starts (PRE_TEST), never at build time, so a build never starts Wine. Its
# main is tests/gui/harness/test_main.cpp.
include(GoogleTest)

function(vek_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} vek_gtest_main vek_options)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(VEK_IS_WINDOWS)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VEK_TEST_OUTPUT_DIRECTORY})
    # scripts/wine-run gives every program TZ=UTC. A case ctest runs alone
    # has the desktop to itself: it starts with no window of another program
    # shown (tests/gui/harness/known_desktop.h).
    set(alone)
    list(FIND ARG_PROPERTIES RUN_SERIAL serial)
    if(NOT serial EQUAL -1)
      set(alone ENVIRONMENT "VEK_TEST_ALONE=1")
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_PREFIX "${name}."
                         PROPERTIES ${alone} ${ARG_PROPERTIES})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${name}."
                         PROPERTIES ENVIRONMENT "TZ=UTC" ${ARG_PROPERTIES})
  endif()
endfunction()
