# Builds the Debian packages from the build tree, unpacks the runtime package into a
# throw-away root and starts the frame from there without a display: it must find
# its libraries through its RUNPATH alone and render the pages.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DVERSION=... -DCPACK=... -P CheckDebian.cmake
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/home)

function(run)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${ARGN}:\n${output}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

run(${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/out)
file(GLOB deb ${WORK_DIR}/out/qt27controls_*.deb)
file(GLOB dev ${WORK_DIR}/out/qt27controls-dev_*.deb)
if(NOT deb OR NOT dev)
  message(FATAL_ERROR "cpack wrote no qt27controls and qt27controls-dev packages: ${output}")
endif()

run(dpkg-deb -f ${deb} Version Depends)
foreach(expected "Version: ${VERSION}" "libqt6widgets6" "libqt6sql6-sqlite" "libqt6svg6")
  if(NOT output MATCHES "${expected}")
    message(SEND_ERROR "the package's control fields lack \"${expected}\":\n${output}")
  endif()
endforeach()

set(root ${WORK_DIR}/root)
run(dpkg -x ${deb} ${root})
# A desktop entry names a program and an icon that the package holds.
file(GLOB entries ${root}/usr/share/applications/*.desktop)
if(NOT entries)
  message(SEND_ERROR "the package holds no desktop entry")
endif()
foreach(entry ${entries})
  file(STRINGS ${entry} exec REGEX "^Exec=")
  file(STRINGS ${entry} icon REGEX "^Icon=")
  string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" exec "${exec}")
  string(REGEX REPLACE "^Icon=" "" icon "${icon}")
  file(GLOB icons ${root}/usr/share/icons/hicolor/*/apps/${icon}.*)
  if(NOT exec OR NOT EXISTS ${root}/usr/bin/${exec} OR NOT icon OR NOT icons)
    message(SEND_ERROR "${entry}: program \"${exec}\" or icon \"${icon}\" not in the package")
  endif()
endforeach()

function(frame home)
  set(frame ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH HOME=${home} XDG_CONFIG_HOME=${home}
            XDG_DATA_HOME=${home} QT_QPA_PLATFORM=offscreen ${ARGN} PARENT_SCOPE)
endfunction()
frame(${WORK_DIR}/home ${root}/usr/bin/qt27frame)
run(${frame} --version)
if(NOT output MATCHES "qt27frame ${VERSION}")
  message(SEND_ERROR "qt27frame --version printed: ${output}")
endif()

# The frame from the package and the one from the build tree render the same station
# at the same time. Pages whose look depends on resource texts and pictures only must
# come out alike: a resource folder missing from the package, or not where the
# library looks, shows there.
set(packaged ${frame} --project ${WORK_DIR}/home/station.xml --screenshot ${WORK_DIR}/packaged)
frame(${WORK_DIR}/built ${BUILD_DIR}/bin/qt27frame)
set(built ${frame} --project ${WORK_DIR}/built/station.xml --screenshot ${WORK_DIR}/built/shots)
file(MAKE_DIRECTORY ${WORK_DIR}/built)
list(JOIN packaged "\" \"" packaged)
list(JOIN built "\" \"" built)
execute_process(COMMAND sh -c "\"${packaged}\" >packaged.log 2>&1 & \"${built}\" >built.log 2>&1; \
b=$?; wait $!; echo \"$?;$b\"" WORKING_DIRECTORY ${WORK_DIR} OUTPUT_VARIABLE exit_codes
                OUTPUT_STRIP_TRAILING_WHITESPACE)
file(READ ${WORK_DIR}/packaged.log output)
if(NOT exit_codes STREQUAL "0;0")
  file(READ ${WORK_DIR}/built.log built_output)
  message(FATAL_ERROR "qt27frame --screenshot exited with ${exit_codes} (package; build tree):\n"
                      "${output}\n${built_output}")
endif()
file(GLOB pages RELATIVE ${WORK_DIR}/packaged ${WORK_DIR}/packaged/*-About.png ${WORK_DIR}/packaged/*-Parameter.png)
file(GLOB frames ${WORK_DIR}/packaged/frame-en-*.png)
if(NOT pages OR NOT frames)
  message(FATAL_ERROR "qt27frame --screenshot from the package wrote no page or frame pictures:\n${output}")
endif()
foreach(page ${pages})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/packaged/${page}
                          ${WORK_DIR}/built/shots/${page} RESULT_VARIABLE differs)
  if(differs)
    message(SEND_ERROR "${page} from the package differs from the build tree's")
  endif()
endforeach()
list(LENGTH pages count)
file(SIZE ${deb} size)
message("${deb} (${size} bytes): ${count} pages alike")
