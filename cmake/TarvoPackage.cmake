# `cpack -G DEB`: tarvo_<version>_amd64.deb with everything `cmake --install` puts in place but
# the optional tools, under /usr.
set(TARVO_MAINTAINER "Tarvo maintainers <maintainers@users.noreply.c-seed-38ab8df1.example>")

# Debian wants a changelog and a copyright file in the package's documentation folder.
set(qs_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tarvo)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog
  @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/packaging/changelog > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog
  VERBATIM)
# Manual pages for the two commands on the PATH, compressed as Debian wants them.
set(qs_man_pages)
foreach(page tarvo.1 quaystone-cli.1)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/${page} ${PROJECT_BINARY_DIR}/packaging/${page} @ONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/${page}.gz
    COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/packaging/${page} > ${PROJECT_BINARY_DIR}/packaging/${page}.gz
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/${page}
    VERBATIM)
  list(APPEND qs_man_pages ${PROJECT_BINARY_DIR}/packaging/${page}.gz)
endforeach()
add_custom_target(tarvo_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  ${qs_man_pages})
install(FILES ${PROJECT_BINARY_DIR}/packaging/tarvo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
  COMPONENT program)
install(FILES ${PROJECT_BINARY_DIR}/packaging/quaystone-cli.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT library)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${qs_doc_dir} COMPONENT program)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvo maintainers")
set(CPACK_PACKAGE_CONTACT ${TARVO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese desktop program that dials and hangs up Corvastine routers")
set(CPACK_PACKAGE_DESCRIPTION
  "Tarvo operates Corvastine dial-up routers (analogue, ISDN and leased lines)
from any PC on their LAN: it finds the routers, dials and hangs up at set
times, watches the line and its traffic, keeps a connection log, starts and
ends registered programs, publishes the router's global address by FTP and
corrects the PC clock. Its user interface is Japanese and it lives in the
notification area.

The package also holds Quaystone, the router-control library, with its
headers, pkg-config file and CMake package, and quaystone-cli, a command-line
client of the library.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARVO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
# The libraries' cache through dpkg's ldconfig trigger, not by calling ldconfig from scripts.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers
  ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Qt image plugin that draws the SVG tray pictures is loaded at run time, so shlibdeps
# cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# The manual opens in the desktop's browser; FTPS checks servers against the system's CAs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, ca-certificates")
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/\\\\.git/")
include(CPack)
