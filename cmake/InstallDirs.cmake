# Where the installed files go (cmake/Install.cmake lays them out), known to every
# folder of the tree: included right after GNUInstallDirs.
set(QT27_INSTALL_DTMDIR ${CMAKE_INSTALL_LIBDIR}/QT27Controls)
set(QT27_INSTALL_LIBRARYDIR ${QT27_INSTALL_DTMDIR}/bin)
set(QT27_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/QT27Controls)

# Gives @p target, installed to @p destination, the RUNPATH to the installed libraries.
# A destination under the prefix gets one relative to the program's own folder, so the
# installed tree can be moved as a whole; an absolute one (a Qt plugin folder, say) gets
# the libraries' absolute folder under CMAKE_INSTALL_PREFIX.
function(qt27_install_rpath target destination)
  if(IS_ABSOLUTE ${destination})
    set(rpath ${CMAKE_INSTALL_PREFIX}/${QT27_INSTALL_LIBRARYDIR})
  else()
    file(RELATIVE_PATH relative /${destination} /${QT27_INSTALL_LIBRARYDIR})
    set(rpath "$ORIGIN/${relative}")
  endif()
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "${rpath}")
endfunction()
