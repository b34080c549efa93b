# Every Wine test of one ctest run shares one prefix, cloned from a template made once and
# served by a persistent wineserver: the setup fixture starts it, the cleanup fixture stops it.
set(YMT_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine-prefix")
set(YMT_WINE_ENV
    "WINEPREFIX=${YMT_WINE_PREFIX}"
    "WINEDEBUG=-all"
    "WINEARCH=win64")
# (The DLL overrides live in the prefix template's registry: a ";" cannot stand in a CTest
# environment entry.)

# A prefix started before the tests that require fixture and stopped after them, as
# <fixture>_prefix_setup and <fixture>_prefix_cleanup; extra arguments are environment
# settings for the start (YMT_NO_COMPOSITOR=1, YMT_LOGPIXELS=144).
function(ymt_wine_prefix fixture prefix)
  add_test(NAME ${fixture}_prefix_setup COMMAND env ${ARGN} ${CMAKE_SOURCE_DIR}/tools/wine-fixture
                                                start ${prefix} $<TARGET_FILE:wine_keeper>)
  add_test(NAME ${fixture}_prefix_cleanup
           COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-fixture stop ${prefix})
  set_tests_properties(${fixture}_prefix_setup PROPERTIES FIXTURES_SETUP ${fixture} TIMEOUT 600)
  set_tests_properties(${fixture}_prefix_cleanup PROPERTIES FIXTURES_CLEANUP ${fixture}
                                                            TIMEOUT 120)
endfunction()

# Marks a test as one that runs under Wine.
function(ymt_wine_test name)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ${YMT_WINE_ENV})
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED wine)
endfunction()
