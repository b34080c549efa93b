# Pictures and clips are stored scrambled (common/scramble.h): a small host tool scrambles
# the committed assets at build time.
set(scramble_tool ${CMAKE_BINARY_DIR}/host/scramble)
add_custom_command(
  OUTPUT ${scramble_tool}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
  COMMAND c++ -std=c++20 -O2 -Wall -Wextra -Werror -I${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tools/scramble.cpp
          -o ${scramble_tool}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/scramble.cpp ${PROJECT_SOURCE_DIR}/common/scramble.h
  COMMENT "Building the host scrambler")

# Scrambles files into dir; sets out_var to the scrambled files.
function(ymt_scramble target dir out_var)
  set(outputs "")
  foreach(f ${ARGN})
    get_filename_component(name ${f} NAME)
    list(APPEND outputs ${dir}/${name}.bin)
  endforeach()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${scramble_tool} ${dir} ${ARGN}
    DEPENDS ${scramble_tool} ${ARGN}
    COMMENT "Scrambling the assets of ${target}")
  set(${out_var} ${outputs} PARENT_SCOPE)
endfunction()


# Custom command outputs are only built for targets of their own folder: this target builds
# the tool here, and everything that scrambles depends on it.
add_custom_target(scramble_tool_build DEPENDS ${scramble_tool})
