# cmake -P vek_test_environment_test.cmake
#
# A case's environment and its other properties, split from the properties its
# test program gives: VEK_TEST_ALONE=1 for a Windows case ctest runs alone and
# for no other, the case's own entries kept beside it, the rest passed on.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/VekTests.cmake)

set(failures 0)
function(expect what windows want_environment want_properties)
  vek_test_environment(environment properties WINDOWS ${windows} PROPERTIES ${ARGN})
  if(NOT environment STREQUAL want_environment OR NOT properties STREQUAL want_properties)
    message(SEND_ERROR "${what}:\n  environment '${environment}', want '${want_environment}'\n"
                       "  properties '${properties}', want '${want_properties}'")
  endif()
endfunction()

expect("alone, with an environment of its own" TRUE
       "VEK_TEST_ALONE=1;A=1;B=x=y" "LABELS;gui;RUN_SERIAL;TRUE;TIMEOUT;300"
       LABELS gui RUN_SERIAL TRUE ENVIRONMENT "A=1;B=x=y" TIMEOUT 300)
expect("its environment first, then alone" TRUE
       "VEK_TEST_ALONE=1;A=1" "RUN_SERIAL;ON"
       ENVIRONMENT A=1 RUN_SERIAL ON)
expect("RUN_SERIAL FALSE is not alone" TRUE
       "A=1" "RUN_SERIAL;FALSE;LABELS;x"
       RUN_SERIAL FALSE ENVIRONMENT A=1 LABELS x)
expect("RUN_SERIAL 0 is not alone" TRUE
       "" "RUN_SERIAL;0"
       RUN_SERIAL 0)
expect("a value that holds '=' in another property stays there" TRUE
       "" "ENVIRONMENT_MODIFICATION;VEK_WINE_LINKS=set:x::=physicaldrive1;RESOURCE_LOCK;d"
       ENVIRONMENT_MODIFICATION "VEK_WINE_LINKS=set:x::=physicaldrive1" RESOURCE_LOCK d)
expect("natively every case has TZ=UTC beside its own" FALSE
       "TZ=UTC;A=1" "RUN_SERIAL;TRUE"
       RUN_SERIAL TRUE ENVIRONMENT A=1)
expect("no properties" TRUE "" "")
