#!/usr/bin/env bash
# Prints what an install of the default components holds, relative to the prefix, one path a
# line, sorted; links as "PATH -> TARGET". The CMake package's per-configuration file is named
# QuaystoneTargets-CONFIG.cmake here.
#
#   expected-files.sh LIBDIR VERSION
set -euo pipefail
libdir=${1:?} version=${2:?}
major=${version%%.*}
rel_to_libdir=$(realpath -m --relative-to="/p/lib/tarvo" "/p/$libdir")
{
    cat <<LIST
bin/quaystone-cli
bin/tarvo -> ../lib/tarvo/Tarvo
include/quaystone/quaystone.h
include/winmsg/winmsg.h
$libdir/libQuaystone.so -> libQuaystone.so.$major
$libdir/libQuaystone.so.$major -> libQuaystone.so.$version
$libdir/libQuaystone.so.$version
$libdir/libwinmsg.so -> libwinmsg.so.$major
$libdir/libwinmsg.so.$major -> libwinmsg.so.$version
$libdir/libwinmsg.so.$version
$libdir/pkgconfig/quaystone.pc
$libdir/cmake/Quaystone/QuaystoneConfig.cmake
$libdir/cmake/Quaystone/QuaystoneConfigVersion.cmake
$libdir/cmake/Quaystone/QuaystoneTargets.cmake
$libdir/cmake/Quaystone/QuaystoneTargets-CONFIG.cmake
lib/tarvo/Tarvo
lib/tarvo/libQuaystone.so -> $rel_to_libdir/libQuaystone.so.$major
lib/tarvo/libwinmsg.so -> $rel_to_libdir/libwinmsg.so.$major
lib/tarvo/libwinmsg.so.$major -> $rel_to_libdir/libwinmsg.so.$major
lib/tarvo/help/features.html
lib/tarvo/help/index.html
lib/tarvo/help/settings.html
lib/tarvo/help/tarvo.css
lib/tarvo/installed-copy.txt
share/applications/org.tarvo.Tarvo.desktop
share/doc/tarvo/changelog.gz
share/doc/tarvo/copyright
share/icons/hicolor/scalable/apps/tarvo.svg
share/man/man1/quaystone-cli.1.gz
share/man/man1/tarvo.1.gz
share/metainfo/org.tarvo.Tarvo.metainfo.xml
LIST
} | LC_ALL=C sort
