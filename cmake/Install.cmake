# What `cmake --install` lays out, under the prefix (GNU directories):
#
#   include/QT27Controls/..., include/rmox/...     the public headers (PublicHeaders.cmake)
#                                                  and the generated QT27Controls/Version.h
#   lib/QT27Controls/bin/                          the DTM's folder: libQT27Controls.so.1.0.0,
#                                                  librmox.so.1.0.0 (SONAME .so.1) and the
#                                                  resource folders rmoxResourceData/ and
#                                                  QT27ResourceData/ beside them
#   lib/QT27Controls/help/                         the help topics, one level above the library
#   lib/cmake/QT27Controls/                        QT27ControlsConfig.cmake, ...ConfigVersion.cmake
#                                                  and the exported targets QT27::Controls, QT27::rmox
#   bin/qt27frame                                  the frame (RUNPATH to the DTM's folder)
#   share/applications/, share/icons/hicolor/      the frame's desktop entry and icon
#
# The library finds its resource folders beside its own file and its help one level up
# (common/ApplicationFolder), so the DTM keeps a folder of its own, laid out like the
# build tree's bin/ and help/. Hosts built against the package get that folder in their
# RUNPATH from the exported target; they need no LD_LIBRARY_PATH.
#
# Two components: Runtime (libraries, resources, help, frame) and Development (headers
# and the CMake package); cmake --install without --component installs both.

include(CMakePackageConfigHelpers)
# The Qt modules the installed libraries link; QT27ControlsConfig.cmake finds them.
set(QT27_QT_COMPONENTS Core Gui Widgets Svg)
include(cmake/PublicHeaders.cmake)
# QT27_INSTALL_DTMDIR, QT27_INSTALL_LIBRARYDIR, QT27_INSTALL_CMAKEDIR, qt27_install_rpath:
# cmake/InstallDirs.cmake.

install(TARGETS rmox QT27Controls EXPORT QT27ControlsTargets
        LIBRARY DESTINATION ${QT27_INSTALL_LIBRARYDIR} COMPONENT Runtime NAMELINK_COMPONENT Development
        RUNTIME DESTINATION ${QT27_INSTALL_LIBRARYDIR} COMPONENT Runtime)
# A host linked against the installed library runs without further set-up.
target_link_options(QT27Controls INTERFACE
                    "$<INSTALL_INTERFACE:LINKER:-rpath,$<INSTALL_PREFIX>/${QT27_INSTALL_LIBRARYDIR}>")

foreach(header ${QT27_PUBLIC_HEADERS})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${folder}
          COMPONENT Development)
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/generated/QT27Controls/Version.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/QT27Controls COMPONENT Development)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/rmoxResourceData ${PROJECT_SOURCE_DIR}/resources/QT27ResourceData
        DESTINATION ${QT27_INSTALL_LIBRARYDIR} COMPONENT Runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/help DESTINATION ${QT27_INSTALL_DTMDIR} COMPONENT Runtime)

qt27_install_rpath(qt27frame ${CMAKE_INSTALL_BINDIR})
install(TARGETS qt27frame RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
install(FILES ${PROJECT_SOURCE_DIR}/frame/packaging/qt27frame.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT Runtime)
install(FILES ${PROJECT_SOURCE_DIR}/frame/packaging/qt27frame.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT Runtime)

install(EXPORT QT27ControlsTargets NAMESPACE QT27:: FILE QT27ControlsTargets.cmake
        DESTINATION ${QT27_INSTALL_CMAKEDIR} COMPONENT Development)
configure_package_config_file(cmake/QT27ControlsConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/generated/QT27ControlsConfig.cmake
                              INSTALL_DESTINATION ${QT27_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/generated/QT27ControlsConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/generated/QT27ControlsConfig.cmake
              ${PROJECT_BINARY_DIR}/generated/QT27ControlsConfigVersion.cmake
        DESTINATION ${QT27_INSTALL_CMAKEDIR} COMPONENT Development)
