# libpng (with zlib) and vorbisfile (with libvorbis and libogg) as imported targets:
#   ymt::png, ymt::vorbisfile; and ymt::vorbisenc, with which tests make clips.
# Windows: static libraries that tools/build-thirdparty cross-builds from Debian's source
# packages into a cache folder; zlib from Debian's MinGW package.
# Native: Debian's -dev packages.
if(WIN32)
  set(YMT_THIRDPARTY_PREFIX "${CMAKE_SOURCE_DIR}/.cache/mingw64" CACHE PATH
      "Where tools/build-thirdparty installed the MinGW builds")
  set(tp_lib "${YMT_THIRDPARTY_PREFIX}/lib")
  foreach(lib png16 ogg vorbis vorbisfile)
    if(NOT EXISTS "${tp_lib}/lib${lib}.a")
      message(FATAL_ERROR "${tp_lib}/lib${lib}.a is missing: run tools/bootstrap")
    endif()
  endforeach()
  find_library(YMT_ZLIB NAMES libz.a z REQUIRED)

  add_library(ymt::zlib STATIC IMPORTED)
  set_target_properties(ymt::zlib PROPERTIES IMPORTED_LOCATION "${YMT_ZLIB}")
  add_library(ymt::png STATIC IMPORTED)
  set_target_properties(ymt::png PROPERTIES
    IMPORTED_LOCATION "${tp_lib}/libpng16.a"
    INTERFACE_INCLUDE_DIRECTORIES "${YMT_THIRDPARTY_PREFIX}/include"
    INTERFACE_LINK_LIBRARIES ymt::zlib)
  add_library(ymt::ogg STATIC IMPORTED)
  set_target_properties(ymt::ogg PROPERTIES
    IMPORTED_LOCATION "${tp_lib}/libogg.a"
    INTERFACE_INCLUDE_DIRECTORIES "${YMT_THIRDPARTY_PREFIX}/include")
  add_library(ymt::vorbis STATIC IMPORTED)
  set_target_properties(ymt::vorbis PROPERTIES
    IMPORTED_LOCATION "${tp_lib}/libvorbis.a"
    INTERFACE_LINK_LIBRARIES ymt::ogg)
  add_library(ymt::vorbisenc STATIC IMPORTED)
  set_target_properties(ymt::vorbisenc PROPERTIES
    IMPORTED_LOCATION "${tp_lib}/libvorbisenc.a"
    INTERFACE_LINK_LIBRARIES ymt::vorbis)
  add_library(ymt::vorbisfile STATIC IMPORTED)
  set_target_properties(ymt::vorbisfile PROPERTIES
    IMPORTED_LOCATION "${tp_lib}/libvorbisfile.a"
    INTERFACE_LINK_LIBRARIES ymt::vorbis)
else()
  find_package(PNG REQUIRED)
  find_library(YMT_VORBISFILE vorbisfile REQUIRED)
  find_library(YMT_VORBIS vorbis REQUIRED)
  find_library(YMT_OGG ogg REQUIRED)
  find_library(YMT_VORBISENC vorbisenc REQUIRED)
  add_library(ymt::vorbisenc INTERFACE IMPORTED)
  set_target_properties(ymt::vorbisenc PROPERTIES
    INTERFACE_LINK_LIBRARIES "${YMT_VORBISENC};${YMT_VORBIS};${YMT_OGG}")
  add_library(ymt::png ALIAS PNG::PNG)
  add_library(ymt::vorbisfile INTERFACE IMPORTED)
  set_target_properties(ymt::vorbisfile PROPERTIES
    INTERFACE_LINK_LIBRARIES "${YMT_VORBISFILE};${YMT_VORBIS};${YMT_OGG}")
endif()
