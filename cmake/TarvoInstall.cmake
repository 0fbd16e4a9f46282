# What `cmake --install` puts where. Components:
#   program      <prefix>/lib/tarvo/ (Tarvo, its manual, the libraries it loads), the launcher
#                `tarvo` and the desktop entry, icon and metainfo
#   library      the versioned shared libraries for other programs, and quaystone-cli
#   development  headers, the unversioned link names, pkg-config file and CMake package
#   tools        the router emulator and the lab (optional: only with --component tools)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The program's own folder: fixed under the prefix, not under the multiarch library folder, so
# that a person finds it where the launcher points.
set(TARVO_PROGRAM_DIR lib/tarvo)

# Installed binaries look for libraries on the system's paths only, except the program, which
# finds the libraries beside itself.
set_target_properties(Quaystone winmsg quaystone-cli PROPERTIES INSTALL_RPATH "")

install(TARGETS Quaystone winmsg
  EXPORT QuaystoneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library
    NAMELINK_COMPONENT development)
install(TARGETS quaystone-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT library)
install(FILES ${PROJECT_SOURCE_DIR}/library/include/quaystone/quaystone.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quaystone COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/library/winmsg/include/winmsg/winmsg.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/winmsg COMPONENT development)
target_include_directories(Quaystone INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_include_directories(winmsg INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

# pkg-config: relocatable, the prefix found from where the file lies.
file(RELATIVE_PATH qs_pc_to_prefix
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/packaging/quaystone.pc.in
  ${PROJECT_BINARY_DIR}/packaging/quaystone.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/quaystone.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

# The CMake package: find_package(Quaystone) gives Quaystone::Quaystone and Quaystone::winmsg.
set(qs_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Quaystone)
install(EXPORT QuaystoneTargets NAMESPACE Quaystone:: DESTINATION ${qs_cmake_dir}
  COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/packaging/QuaystoneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/packaging/QuaystoneConfig.cmake INSTALL_DESTINATION ${qs_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/packaging/QuaystoneConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/packaging/QuaystoneConfig.cmake
  ${PROJECT_BINARY_DIR}/packaging/QuaystoneConfigVersion.cmake
  DESTINATION ${qs_cmake_dir} COMPONENT development)

if(TARGET Tarvo)
  install(TARGETS Tarvo RUNTIME DESTINATION ${TARVO_PROGRAM_DIR} COMPONENT program)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/app/help/ DESTINATION ${TARVO_PROGRAM_DIR}/help
    COMPONENT program)
  # Marks the folder as an installed copy: its files go to ~/.config/Tarvo even for root.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/installed-copy.txt DESTINATION ${TARVO_PROGRAM_DIR}
    COMPONENT program)
  # The program loads libQuaystone.so from its own folder, and needs libwinmsg.so.1 there; they
  # are links to the one copy of each library, made relative so that a DESTDIR or a moved
  # prefix keeps working. `tarvo` on the PATH is a link to the program: the program's folder
  # is where the link leads, not /usr/bin.
  install(CODE "
    set(qs_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    file(RELATIVE_PATH qs_rel \"\${qs_root}/${TARVO_PROGRAM_DIR}\"
      \"\${qs_root}/${CMAKE_INSTALL_LIBDIR}\")
    string(REGEX REPLACE \"/+$\" \"\" qs_rel \"\${qs_rel}\")
    foreach(qs_link libQuaystone.so:libQuaystone.so.${PROJECT_VERSION_MAJOR}
                    libwinmsg.so:libwinmsg.so.${PROJECT_VERSION_MAJOR}
                    libwinmsg.so.${PROJECT_VERSION_MAJOR}:libwinmsg.so.${PROJECT_VERSION_MAJOR})
      string(REPLACE \":\" \";\" qs_pair \"\${qs_link}\")
      list(GET qs_pair 0 qs_name)
      list(GET qs_pair 1 qs_target)
      message(STATUS \"Installing: \${qs_root}/${TARVO_PROGRAM_DIR}/\${qs_name}\")
      file(CREATE_LINK \"\${qs_rel}/\${qs_target}\" \"\${qs_root}/${TARVO_PROGRAM_DIR}/\${qs_name}\"
        SYMBOLIC)
      list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${qs_root}/${TARVO_PROGRAM_DIR}/\${qs_name}\")
    endforeach()
    file(RELATIVE_PATH qs_rel \"\${qs_root}/${CMAKE_INSTALL_BINDIR}\"
      \"\${qs_root}/${TARVO_PROGRAM_DIR}/Tarvo\")
    message(STATUS \"Installing: \${qs_root}/${CMAKE_INSTALL_BINDIR}/tarvo\")
    file(MAKE_DIRECTORY \"\${qs_root}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"\${qs_rel}\" \"\${qs_root}/${CMAKE_INSTALL_BINDIR}/tarvo\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${qs_root}/${CMAKE_INSTALL_BINDIR}/tarvo\")
  " COMPONENT program)

  install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.tarvo.Tarvo.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/tarvo.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT program)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/org.tarvo.Tarvo.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/packaging/org.tarvo.Tarvo.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/org.tarvo.Tarvo.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT program)
endif()

# Optional: the router emulator beside the program (it finds libwinmsg there) and the lab.
install(TARGETS qs-router-emulator qs-emulator-ctl
  RUNTIME DESTINATION ${TARVO_PROGRAM_DIR} COMPONENT tools EXCLUDE_FROM_ALL)
install(PROGRAMS tools/lab/lab.sh tools/lab/pc-hosts.sh tools/lab/daytime-setup.sh
  tools/lab/tftpd-setup.sh tools/lab/daytime_server.py
  DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvo/lab COMPONENT tools EXCLUDE_FROM_ALL)
install(FILES tools/lab/demo.ini tools/lab/README.md
  DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvo/lab COMPONENT tools EXCLUDE_FROM_ALL)
