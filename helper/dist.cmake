# What of the Firefox helper ships, for the distribution archive (make dist):
#   ymthelp.exe  the native host, from the shared program folder
#   ymthelp.xpi  the extension, packed (a zip of the files below, manifest at the top)
#   README.ja.md the user's steps (install, load the extension, remove)
# The global property YMT_HELPER_DIST_FILES lists them (the first is a generator
# expression); the ymthelp_xpi target builds the package.

set(YMT_HELPER_EXTENSION_FILES manifest.json background.js tracker.js)

if(WIN32)
  set(ymthelp_xpi ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/ymthelp.xpi)
  set(extension_sources "")
  foreach(file ${YMT_HELPER_EXTENSION_FILES})
    list(APPEND extension_sources ${CMAKE_CURRENT_LIST_DIR}/extension/${file})
  endforeach()
  # Zip entries are named as given, relative to the working folder: the manifest must sit
  # at the package's top.
  add_custom_command(
    OUTPUT ${ymthelp_xpi}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${ymthelp_xpi} --format=zip ${YMT_HELPER_EXTENSION_FILES}
    WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/extension
    DEPENDS ${extension_sources}
    COMMENT "Packing the Firefox extension")
  add_custom_target(ymthelp_xpi ALL DEPENDS ${ymthelp_xpi})

  set_property(GLOBAL PROPERTY YMT_HELPER_DIST_FILES
      $<TARGET_FILE:ymthelp>
      ${ymthelp_xpi}
      ${CMAKE_CURRENT_LIST_DIR}/README.ja.md)
endif()
