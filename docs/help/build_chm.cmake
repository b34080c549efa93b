# Compiles ymt.chm: cmake -DSOURCE=<docs/help> -DSTAGE=<scratch folder> -DOUTPUT=<ymt.chm>
#   -DCHMCMD=<chmcmd> -DICONV=<iconv> -P build_chm.cmake
#
# The pages are copied as they are (UTF-8, declared in their meta tags). The project file,
# the table of contents and the index are converted to Shift_JIS (code page 932): HTML Help
# 1.x is not Unicode-aware there and reads them in the code page of the file's language,
# Japanese (0x411).

foreach(var SOURCE STAGE OUTPUT CHMCMD ICONV)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "build_chm.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(COPY ${SOURCE}/_RESOURCE DESTINATION ${STAGE})

foreach(name ymt.hhp ymt.hhc ymt.hhk)
  execute_process(
    COMMAND ${ICONV} -f UTF-8 -t CP932 ${SOURCE}/${name}
    OUTPUT_FILE ${STAGE}/${name}
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: a character has no Shift_JIS form (iconv: ${rc})")
  endif()
endforeach()

# chmcmd answers 0 even when it reports errors, so its report is read as well.
execute_process(
  COMMAND ${CHMCMD} --verbosity 1 ymt.hhp
  WORKING_DIRECTORY ${STAGE}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR out MATCHES "Error:" OR NOT EXISTS ${STAGE}/ymt.chm)
  message(FATAL_ERROR "chmcmd failed (${rc}):\n${out}")
endif()

get_filename_component(dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
file(COPY_FILE ${STAGE}/ymt.chm ${OUTPUT})
