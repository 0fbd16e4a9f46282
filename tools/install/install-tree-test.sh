#!/usr/bin/env bash
# `cmake --install` into a DESTDIR: the file list, the links, a C program built against the
# installed library with pkg-config and with find_package(Quaystone), and, in the lab when run as
# root, the installed Tarvo finding its library and keeping its files in ~/.config/Tarvo, where
# OK in its options dialog saves its settings.
#
#   install-tree-test.sh BUILD_DIR PREFIX LIBDIR VERSION EMULATOR EMULATOR_CTL
set -euo pipefail
build=$(realpath "${1:?}") prefix=${2:?} libdir=${3:?} version=${4:?} emulator=${5:?} ctl=${6:?}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

work=$(mktemp -d /tmp/tarvo-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
fail() { echo "install-tree-test: $*" >&2; exit 1; }

DESTDIR=$work/root cmake --install "$build" >"$work/install.log" || { cat "$work/install.log"; fail "install failed"; }
tree=$work/root$prefix

diff -u <("$here/expected-files.sh" "$libdir" "$version") <("$here/list-files.sh" "$tree") ||
    fail "the installed files differ from the list (- expected, + installed)"
for link in $(find "$tree" -type l); do
    [[ -e $link ]] || fail "dangling link $link -> $(readlink "$link")"
done
[[ $(readelf -d "$tree/$libdir/libQuaystone.so.$version" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p') == \
    "libQuaystone.so.${version%%.*}" ]] || fail "libQuaystone has no soname libQuaystone.so.${version%%.*}"
! ldd "$tree/lib/tarvo/Tarvo" | grep -q 'not found' || fail "Tarvo misses libraries: $(ldd "$tree/lib/tarvo/Tarvo" | grep 'not found')"
LD_LIBRARY_PATH=$tree/$libdir "$tree/bin/quaystone-cli" version | grep -qx "quaystone-cli $version" ||
    fail "quaystone-cli version does not say $version"

# Another program against the installed headers and library, both ways.
export LD_LIBRARY_PATH=$tree/$libdir
flags=$(PKG_CONFIG_PATH=$tree/$libdir/pkgconfig pkg-config --cflags --libs quaystone) ||
    fail "pkg-config does not know quaystone"
[[ $(PKG_CONFIG_PATH=$tree/$libdir/pkgconfig pkg-config --modversion quaystone) == "$version" ]] ||
    fail "pkg-config gives another version"
# shellcheck disable=SC2086
cc -std=c11 -Wall -Wextra -Werror -o "$work/by-pkg-config" "$here/consumer/use_quaystone.c" $flags
"$work/by-pkg-config" || fail "the pkg-config build did not run"
cmake -S "$here/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$tree" >"$work/consumer.log" 2>&1 &&
    cmake --build "$work/consumer" >>"$work/consumer.log" 2>&1 || { cat "$work/consumer.log"; fail "the find_package build failed"; }
"$work/consumer/use_quaystone" || fail "the find_package build did not run"
unset LD_LIBRARY_PATH

# The installed program, in the lab as a user who cannot write its folder.
status=0
"$root/tools/lab/lab.sh" run --config "$root/tools/tarvo/two_routers.ini" --emulator "$emulator" -- \
    "$here/installed-tarvo-lab-check.sh" "$tree/lib/tarvo" "$ctl" "$tree/bin/tarvo" "$version" || status=$?
exit "$status"
