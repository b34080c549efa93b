# The Wine tests of the character's windows and voice find the balloon picture in their own
# module, as the program does.
target_link_libraries(win_tests PRIVATE ymt_program_resources)

# An edition plug-in with gaps: two good poses, one cut short, one that is no picture at all,
# and none of the others.
set(partial_dir ${CMAKE_CURRENT_BINARY_DIR}/character_partial)
set(hinata_dir ${CMAKE_BINARY_DIR}/plugins/ymthinata)
add_custom_command(
  OUTPUT ${partial_dir}/148.cut.bin
  COMMAND ${CMAKE_COMMAND} -E make_directory ${partial_dir}
  COMMAND head -c 3000 ${hinata_dir}/148.png.bin > ${partial_dir}/148.cut.bin
  DEPENDS ymthinata
  COMMENT "Cutting a pose short for the partial plug-in")
file(WRITE ${partial_dir}/character_partial.rc.new
     "#pragma code_page(65001)\n"
     "138 RT_RCDATA \"${hinata_dir}/138.png.bin\"\n"
     "150 RT_RCDATA \"${hinata_dir}/150.png.bin\"\n"
     "148 RT_RCDATA \"${partial_dir}/148.cut.bin\"\n"
     "140 RT_RCDATA \"${CMAKE_CURRENT_SOURCE_DIR}/smoke.bin\"\n")
configure_file(${partial_dir}/character_partial.rc.new ${partial_dir}/character_partial.rc
               COPYONLY)
add_library(character_partial SHARED ${partial_dir}/character_partial.rc
                                     ${partial_dir}/148.cut.bin)
set_target_properties(character_partial PROPERTIES PREFIX "" LINKER_LANGUAGE C)
target_link_options(character_partial PRIVATE -nostdlib -Wl,--entry=0 -s)
set_source_files_properties(${partial_dir}/character_partial.rc PROPERTIES OBJECT_DEPENDS
                            "${partial_dir}/148.cut.bin;${CMAKE_CURRENT_SOURCE_DIR}/smoke.bin")
add_dependencies(character_partial ymthinata)
add_dependencies(win_tests character_partial)

# The character's windows, step by step, in a program of its own (see its main).
add_executable(character_window_tests character_window_main.cpp character_window_steps.cpp)
target_link_libraries(character_window_tests PRIVATE ymt_win ymt_portable ymt_warnings
                                                     ymt_program_resources GTest::gtest)
add_dependencies(character_window_tests plugins)
add_test(NAME character_window_tests COMMAND character_window_tests)
set_tests_properties(character_window_tests PROPERTIES TIMEOUT 300
                     WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
ymt_wine_test(character_window_tests)

# The voice as it sounds: played through Wine's ALSA driver into a file and compared with the
# clip's PCM. It sets up its own HOME and Wine prefix (see the script).
add_executable(voice_capture_win voice_capture_win.cpp)
target_link_options(voice_capture_win PRIVATE -municode)
target_link_libraries(voice_capture_win PRIVATE ymt_win ymt_portable ymt_warnings
                                                ymt_program_resources)
add_dependencies(voice_capture_win plugins wine_keeper)
add_test(NAME voice_capture
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/voice_capture.sh ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
                 ${CMAKE_BINARY_DIR}/voice-capture)
set_tests_properties(voice_capture PROPERTIES TIMEOUT 120)

# The character on the composited display, checked by screenshots (see the script).
add_executable(character_screens_win character_screens_win.cpp)
target_link_options(character_screens_win PRIVATE -municode)
target_link_libraries(character_screens_win PRIVATE ymt_win ymt_portable ymt_warnings
                                                    ymt_program_resources)
add_dependencies(character_screens_win plugins)
add_test(NAME character_screens
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/character_screens.sh ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
                 ${CMAKE_BINARY_DIR}/screenshots)
set_tests_properties(character_screens PROPERTIES TIMEOUT 180)
ymt_wine_test(character_screens)
