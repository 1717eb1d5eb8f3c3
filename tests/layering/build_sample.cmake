# Configures and builds the layering sample with one kind of upward reach, and checks the
# outcome: with EXPECT empty the build must succeed; otherwise it must fail, saying EXPECT.
#   cmake -DSAMPLE=<dir> -DWORK=<dir> -DLAYERS=<cmake/layers.cmake> -DGENERATOR=<name>
#         -DCXX=<compiler> -DREACH=<none|header|symbol> -DEXPECT=<regex> -P build_sample.cmake
foreach(v SAMPLE WORK LAYERS GENERATOR CXX REACH)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "build_sample: ${v} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SAMPLE}" -B "${WORK}" -G "${GENERATOR}"
                        "-DCMAKE_CXX_COMPILER=${CXX}" "-DTESMA_LAYERS=${LAYERS}" "-DREACH=${REACH}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the sample does not configure:\n${out}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)

if(NOT EXPECT)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the sample without an upward reach does not build:\n${out}")
  endif()
  message("reach ${REACH}: the sample builds")
elseif(rc EQUAL 0)
  message(FATAL_ERROR "reach ${REACH}: the sample builds, but the upward reach must break it:\n${out}")
elseif(NOT out MATCHES "${EXPECT}")
  message(FATAL_ERROR "reach ${REACH}: the build fails, but not with \"${EXPECT}\":\n${out}")
else()
  message("reach ${REACH}: the build fails as it must (${CMAKE_MATCH_0})")
endif()
