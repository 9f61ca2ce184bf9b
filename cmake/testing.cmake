# sv_add_gtest(TARGET [PROPERTIES NAME VALUE ...])
#
# Registers a GoogleTest executable with CTest. On Linux every test case is a
# CTest test of its own. Under wine the whole executable is one CTest test:
# every start of a Windows program there costs a good part of a second.
if(NOT CMAKE_CROSSCOMPILING)
  include(GoogleTest)
endif()

function(sv_add_gtest target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PROPERTIES")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine ${arg_PROPERTIES})
  elseif(arg_PROPERTIES)
    gtest_discover_tests(${target} PROPERTIES ${arg_PROPERTIES})
  else()
    gtest_discover_tests(${target})
  endif()
endfunction()
