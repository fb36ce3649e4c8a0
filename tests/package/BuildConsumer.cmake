# Builds the example host (examples/minimal-host) against the package installed in
# PREFIX, the way a developer outside this tree does, runs it without a display and
# checks that it opened its page with the library and the resources from PREFIX.
#   cmake -DSOURCE_DIR=... -DBINARY_DIR=... -DPREFIX=... -DGENERATOR=... -DCXX=... -P BuildConsumer.cmake
file(REMOVE_RECURSE ${BINARY_DIR})
foreach(step "-S;${SOURCE_DIR};-B;${BINARY_DIR};-G;${GENERATOR};-DCMAKE_CXX_COMPILER=${CXX};-DCMAKE_PREFIX_PATH=${PREFIX};-DCMAKE_SKIP_BUILD_RPATH=ON"
             "--build;${BINARY_DIR}")
  execute_process(COMMAND ${CMAKE_COMMAND} ${step} OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cmake ${step}:\n${log}")
  endif()
endforeach()

# Without CMake's build RPATH and without LD_LIBRARY_PATH the host finds the library
# through what the package hands it alone, as it does once installed.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen
                        ${BINARY_DIR}/minimal-host
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE exit_code)
message("${output}${errors}")
if(NOT exit_code EQUAL 0)
  message(FATAL_ERROR "minimal-host exited with ${exit_code}")
endif()
foreach(expected "shows: Example DTM 2.0, FDT 1.4" "resources: ${PREFIX}/[^ ]*QT27ResourceData \\(logo [1-9]"
                 "host saw: UiOpened\\(about-1\\) UiReleased\\(about-1\\)")
  if(NOT output MATCHES "${expected}")
    message(SEND_ERROR "minimal-host did not print \"${expected}\"")
  endif()
endforeach()
