# What `cmake --install` puts into the prefix, and the Debian package CPack
# builds from it (`cpack -G DEB` in the build folder, or the `package` target).
#
# Layout on Linux:
#   <prefix>/lib/corvane/corvane   the program
#   <prefix>/lib/corvane/reg       the registry command, beside the program, where
#                                  its lookup finds it first; kept off the PATH
#                                  because `reg` is no command of the user's
#   <prefix>/bin/corvane           -> ../lib/corvane/corvane
#   <prefix>/share/applications/corvane.desktop
#   <prefix>/share/icons/hicolor/{48x48,128x128,256x256,scalable}/apps/corvane.*
#   <prefix>/share/pixmaps/corvane.png
#   <prefix>/share/man/man1/corvane.1.gz
# Every rule is in the component "corvane" (`cmake --install --component
# corvane`), and the package is that one component: test programs, benches
# and the widgets demo have no install rules.

set(CORVANE_COMPONENT corvane)

if(WIN32)
  # A Windows copy is a folder of its own: the program, and its data beside it.
  install(TARGETS corvane RUNTIME DESTINATION . COMPONENT ${CORVANE_COMPONENT})
  return()
endif()

include(GNUInstallDirs)
# Not CMAKE_INSTALL_LIBDIR: on Debian that is lib/<multiarch>, and the
# program's data-folder rule knows the installed folder by its name.
set(CORVANE_PRIVATE_DIR lib/corvane)
set(CORVANE_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS corvane RUNTIME DESTINATION ${CORVANE_PRIVATE_DIR} COMPONENT ${CORVANE_COMPONENT})
if(TARGET reg)
  install(TARGETS reg RUNTIME DESTINATION ${CORVANE_PRIVATE_DIR} COMPONENT ${CORVANE_COMPONENT})
endif()

# The command on the PATH is a relative link, so the installed tree can be
# moved (DESTDIR, package staging) and /proc/self/exe still leads to the
# private folder.
set(corvane_link ${CMAKE_BINARY_DIR}/packaging/corvane)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ../${CORVANE_PRIVATE_DIR}/corvane ${corvane_link} SYMBOLIC)
install(FILES ${corvane_link} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${CORVANE_COMPONENT})

install(FILES ${CORVANE_PACKAGING_DIR}/corvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ${CORVANE_COMPONENT})
foreach(size 48 128 256)
  install(FILES ${CORVANE_PACKAGING_DIR}/icons/corvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME corvane.png COMPONENT ${CORVANE_COMPONENT})
endforeach()
install(FILES ${CORVANE_PACKAGING_DIR}/icons/corvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT ${CORVANE_COMPONENT})
# Window managers that know no icon themes look in pixmaps.
install(FILES ${CORVANE_PACKAGING_DIR}/icons/corvane-48.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps RENAME corvane.png COMPONENT ${CORVANE_COMPONENT})

# The manual page, compressed as Debian keeps manual pages (-n: no time stamp,
# so the package builds the same twice).
find_program(CORVANE_GZIP gzip)
mark_as_advanced(CORVANE_GZIP)
if(CORVANE_GZIP)
  set(corvane_man ${CMAKE_BINARY_DIR}/packaging/corvane.1.gz)
  add_custom_command(OUTPUT ${corvane_man}
    COMMAND ${CORVANE_GZIP} -9 -n -c ${CMAKE_SOURCE_DIR}/docs/corvane.1 > ${corvane_man}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/corvane.1 VERBATIM)
  add_custom_target(corvane_man ALL DEPENDS ${corvane_man})
else()
  set(corvane_man ${CMAKE_SOURCE_DIR}/docs/corvane.1)
endif()
install(FILES ${corvane_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${CORVANE_COMPONENT})

# ---- the Debian package -------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "The Corvane team")
set(CPACK_PACKAGE_CONTACT "The Corvane team <corvane@corvane.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Add-on installer for the Tarnic toolchain")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvane fetches the catalogue of add-on programs and modules that a Tarnic
catalogue server publishes, in the user's language, downloads the chosen
packages with mirror fallback and installs them into the Tarnic folder.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY corvane)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Web links open through xdg-open; `svn info` feeds the version report.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS subversion)

# dpkg-shlibdeps (dpkg-dev) reads the dependencies off the binaries; CPack
# also needs `file` to find them.  Without those tools the list below is what
# the program links on Debian 12.
find_program(CORVANE_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(CORVANE_FILE_TOOL file)
mark_as_advanced(CORVANE_DPKG_SHLIBDEPS CORVANE_FILE_TOOL)
if(CORVANE_DPKG_SHLIBDEPS AND CORVANE_FILE_TOOL)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1 (>= 3.0), libfltk1.3 (>= 1.3.8), libx11-6, libminizip1 (>= 1.1), libpng16-16 (>= 1.6.2), zlib1g (>= 1:1.1.4)")
endif()

include(CPack)
