# Builds the Debian packages from the build tree, unpacks the runtime package into a
# throw-away root and starts the frame from there without a display: it must find
# its libraries through its RUNPATH alone and render the pages.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DVERSION=... -P CheckDebian.cmake
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/home)

function(run)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${ARGN}:\n${output}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

run(cpack --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/out)
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
foreach(file usr/share/applications/qt27frame.desktop usr/share/icons/hicolor/scalable/apps/qt27frame.svg)
  if(NOT EXISTS ${root}/${file})
    message(SEND_ERROR "the package lacks /${file}")
  endif()
endforeach()

set(frame ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH HOME=${WORK_DIR}/home XDG_CONFIG_HOME=${WORK_DIR}/home
          XDG_DATA_HOME=${WORK_DIR}/home QT_QPA_PLATFORM=offscreen ${root}/usr/bin/qt27frame)
run(${frame} --version)
if(NOT output MATCHES "qt27frame ${VERSION}")
  message(SEND_ERROR "qt27frame --version printed: ${output}")
endif()
run(${frame} --project ${WORK_DIR}/station.xml --screenshot ${WORK_DIR}/shots)
file(GLOB pages ${WORK_DIR}/shots/*-About.png)
file(GLOB frames ${WORK_DIR}/shots/frame-en-*.png)
if(NOT pages OR NOT frames)
  message(FATAL_ERROR "qt27frame --screenshot from the package wrote no page or frame pictures:\n${output}")
endif()
list(LENGTH pages count)
message("${deb}: ${count} modules rendered")
