# Every Wine test of one ctest run shares one prefix, cloned from a template made once and
# served by a persistent wineserver: the setup fixture starts it, the cleanup fixture stops it.
set(YMT_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine-prefix")
set(YMT_WINE_ENV
    "WINEPREFIX=${YMT_WINE_PREFIX}"
    "WINEDEBUG=-all"
    "WINEARCH=win64")
# (The DLL overrides live in the prefix template's registry: a ";" cannot stand in a CTest
# environment entry.)

# Marks a test as one that runs under Wine.
function(ymt_wine_test name)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ${YMT_WINE_ENV})
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED wine)
endfunction()
