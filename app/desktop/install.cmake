# Installing Zelto on the desktop, and its Debian package.
#
#   cmake --install BUILD [--prefix PREFIX]
# puts the program in bin, the desktop entry in share/applications, the icon
# in share/icons/hicolor/NxN/apps, the manual page in share/man/man1 and the
# licences in share/doc/zelto/copyright, Debian's place and form.
#   cpack -G DEB (run by scripts/package.sh)
# makes zelto_VERSION_ARCH.deb of the same files under /usr, its library
# dependencies found by dpkg-shlibdeps.
include(GNUInstallDirs)

set(ZELTO_DESKTOP_DIR "${CMAKE_CURRENT_LIST_DIR}")

install(TARGETS zelto RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${ZELTO_DESKTOP_DIR}/zelto.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
foreach(side 16 22 24 32 48 64 128 256)
  install(FILES "${ZELTO_DESKTOP_DIR}/icons/zelto_${side}x${side}.png"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${side}x${side}/apps"
    RENAME zelto.png)
endforeach()

# The manual page goes compressed, as Debian wants it.
find_program(ZELTO_GZIP gzip)
if(ZELTO_GZIP)
  set(ZELTO_MAN_PAGE "${CMAKE_CURRENT_BINARY_DIR}/zelto.1.gz")
  add_custom_command(OUTPUT "${ZELTO_MAN_PAGE}"
    COMMAND "${ZELTO_GZIP}" -9 -n -c "${ZELTO_DESKTOP_DIR}/zelto.1" > "${ZELTO_MAN_PAGE}"
    DEPENDS "${ZELTO_DESKTOP_DIR}/zelto.1"
    COMMENT "Compressing the manual page")
  add_custom_target(zelto_man_page ALL DEPENDS "${ZELTO_MAN_PAGE}")
else()
  set(ZELTO_MAN_PAGE "${ZELTO_DESKTOP_DIR}/zelto.1")
endif()
install(FILES "${ZELTO_MAN_PAGE}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${ZELTO_DESKTOP_DIR}/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/zelto")
# The report type, recognised by the first bytes of a report.
install(FILES "${ZELTO_DESKTOP_DIR}/zelto-report.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages"
  RENAME zelto.xml)
# The README (the user guide the manual page points to) and the package's
# changelog, compressed as Debian wants them.
foreach(doc "README.md:${PROJECT_SOURCE_DIR}/README.md" "changelog:${ZELTO_DESKTOP_DIR}/changelog")
  string(REPLACE ":" ";" parts "${doc}")
  list(GET parts 0 doc_name)
  list(GET parts 1 doc_source)
  if(ZELTO_GZIP)
    set(doc_file "${CMAKE_CURRENT_BINARY_DIR}/${doc_name}.gz")
    add_custom_command(OUTPUT "${doc_file}"
      COMMAND "${ZELTO_GZIP}" -9 -n -c "${doc_source}" > "${doc_file}"
      DEPENDS "${doc_source}"
      COMMENT "Compressing ${doc_name}")
    add_custom_target(zelto_doc_${doc_name} ALL DEPENDS "${doc_file}")
  else()
    set(doc_file "${doc_source}")
  endif()
  install(FILES "${doc_file}" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/zelto")
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelto)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer of jaw-motion recordings")
set(CPACK_PACKAGE_DESCRIPTION
  "Zelto shows the paths of the condyles and the incisal point of jaw-motion
recordings in an interactive 3D view, measures every exercise, and exports
pictures, charts and measures of many recordings from the command line.")
set(CPACK_PACKAGE_CONTACT "The Zelto developers <zelto@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL loads OpenGL at run time (libGL through GLX for the window, EGL for the
# offscreen export), so dpkg-shlibdeps cannot see it: the window and the
# PNG export need these, Mesa's drivers drawing in software when there is no
# GPU.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libglx-mesa0, libegl1, libegl-mesa0, libgl1-mesa-dri")
# "Open..." shows the desktop's file chooser through zenity (kdialog also does).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "zenity | kdialog")
include(CPack)
