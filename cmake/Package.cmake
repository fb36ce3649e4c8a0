# Debian packages (scripts/package): qt27controls (the libraries with their resources
# and help, the frame, its desktop entry and icon) and qt27controls-dev (headers and
# the CMake package). The Qt libraries the binaries link come in through
# dpkg-shlibdeps (libqt6svg6 among them, which also holds the SVG image format the
# resource pictures need); the SQLite driver of the audit trail, a plugin nothing
# links, is named here.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qt27controls)
set(CPACK_PACKAGE_VENDOR "QT27Controls")
set(CPACK_PACKAGE_CONTACT "QT27Controls maintainers <maintainers@qt27controls.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Pages and channel controls of the QT27 device type manager")
set(CPACK_PACKAGE_DESCRIPTION
    "QT27Controls holds the Qt 6 Widgets pages of the device type manager for the QT27\n\
four-channel analog-input module, and qt27frame, an engineering frame that opens them\n\
on a simulated rimox station.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)

set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${QT27_BIN_DIR})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME qt27controls)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME qt27controls-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "qt27controls (= ${PROJECT_VERSION}), qt6-base-dev, qt6-svg-dev")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "The headers and the CMake package (find_package(QT27Controls), target QT27::Controls)\n\
for building a host of one's own around the QT27 pages.")

include(CPack)
