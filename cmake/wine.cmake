# The Windows build's tests run on this Linux machine under wine, in a wine
# prefix of the build folder's own: creating one takes seconds and hundreds
# of megabytes, so it is made once and kept with the build.

# GoogleTest from Debian's source package, built with the cross compiler.
set(SV_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source tree")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${SV_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

set(SV_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                   WORLD_READ WORLD_EXECUTE
  @ONLY)
# Every executable target made after this runs under wine in ctest and in
# custom commands.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# One wineserver for the whole test run, so that each test does not start its
# own. It is started with its output away from ctest's pipes: a server that
# inherits them keeps ctest waiting for it.
add_test(NAME wine_start COMMAND ${CMAKE_BINARY_DIR}/wine-run --start-server)
add_test(NAME wine_stop COMMAND ${CMAKE_BINARY_DIR}/wine-run --stop-server)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
