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
