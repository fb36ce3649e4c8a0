# Installs the build tree into PREFIX (emptied first) and checks what a host built
# against it relies on: every header an installed header includes is installed too,
# the libraries carry their SONAME links, and the package version file accepts the
# versions of this major number only.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -P InstallPrefix.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

file(GLOB_RECURSE headers RELATIVE ${PREFIX}/include ${PREFIX}/include/*.h)
if(NOT headers)
  message(FATAL_ERROR "no headers installed under ${PREFIX}/include")
endif()
foreach(header ${headers})
  file(STRINGS ${PREFIX}/include/${header} includes REGEX "^#include \"")
  foreach(line ${includes})
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
    if(NOT EXISTS ${PREFIX}/include/${included})
      message(SEND_ERROR "${header} includes ${included}, which is not installed")
    endif()
  endforeach()
endforeach()

file(GLOB_RECURSE config ${PREFIX}/*/QT27ControlsConfigVersion.cmake)
if(NOT config)
  message(FATAL_ERROR "QT27ControlsConfigVersion.cmake not installed")
endif()
get_filename_component(config_dir ${config} DIRECTORY)
foreach(library QT27Controls rmox)
  file(GLOB_RECURSE linked ${PREFIX}/lib*/lib${library}.so.*)
  list(LENGTH linked count)
  if(NOT count EQUAL 2)
    message(SEND_ERROR "lib${library}: expected the library and its SONAME link, found ${linked}")
  endif()
endforeach()

string(REGEX MATCH "^[0-9]+" major ${VERSION})
math(EXPR next "${major} + 1")
math(EXPR previous "${major} - 1")
set(PACKAGE_FIND_VERSION_COUNT 2)
foreach(request "${major}.0:TRUE" "${VERSION}:TRUE" "${next}.0:FALSE" "${major}.99:FALSE"
                "${previous}.9:FALSE")
  string(REPLACE ":" ";" request "${request}")
  list(GET request 0 PACKAGE_FIND_VERSION)
  list(GET request 1 expected)
  string(REPLACE "." ";" parts ${PACKAGE_FIND_VERSION})
  list(GET parts 0 PACKAGE_FIND_VERSION_MAJOR)
  list(GET parts 1 PACKAGE_FIND_VERSION_MINOR)
  unset(PACKAGE_VERSION_COMPATIBLE)
  include(${config_dir}/QT27ControlsConfigVersion.cmake)
  if((PACKAGE_VERSION_COMPATIBLE AND NOT expected) OR (NOT PACKAGE_VERSION_COMPATIBLE AND expected))
    message(SEND_ERROR "find_package(QT27Controls ${PACKAGE_FIND_VERSION}) against ${VERSION}: "
                       "compatible ${PACKAGE_VERSION_COMPATIBLE}, expected ${expected}")
  endif()
endforeach()
