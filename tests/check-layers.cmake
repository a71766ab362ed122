# The layer check passes on the sources as they are and catches includes that
# go up: one from list/ into app/, one from rules/ into rename/.
# cmake -DSRC=<src> -DCHECK=<QuibLayers.cmake> -DWORK=<scratch folder> -P check-layers.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${SRC} -P ${CHECK} RESULT_VARIABLE status
                ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The sources as they are fail the layer check:\n${output}")
endif()

file(REMOVE_RECURSE ${WORK})
file(COPY ${SRC}/ DESTINATION ${WORK})
file(APPEND ${WORK}/list/PathPart.h "#include \"app/Form1.h\"\n")
file(APPEND ${WORK}/rules/TextRules.cpp "#include \"rename/RenamePlan.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${WORK} -P ${CHECK} RESULT_VARIABLE status
                ERROR_VARIABLE output)
file(REMOVE_RECURSE ${WORK})
foreach(expected "list/PathPart.h includes app/Form1.h" "rules/TextRules.cpp includes rename/RenamePlan.h")
  string(FIND "${output}" "${expected}" at)
  if(status EQUAL 0 OR at LESS 0)
    message(FATAL_ERROR "The layer check missed: ${expected}\n${output}")
  endif()
endforeach()
