#!/usr/bin/env bash
# Builds the Debian package from a configured and built tree and checks it:
#   - cpack -G DEB gives tarvo_<version>_amd64.deb;
#   - its control fields (maintainer, section, description, shlibs dependencies);
#   - its contents: exactly the installed files, all under /usr; the desktop entry and the
#     metainfo as desktop-file-validate and appstreamcli read them;
#   - lintian: no errors (the warnings it prints are the accepted ones);
#   - installed with dpkg into a scratch root, its Tarvo runs in the lab as an ordinary user and
#     keeps its files in ~/.config/Tarvo, where OK in its options dialog saves its settings.
#
#   package-check.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?build dir}")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
fail() { echo "package-check: $*" >&2; exit 1; }

cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || version=$(grep -o 'Tarvo VERSION [0-9.]*' "$root/CMakeLists.txt" | awk '{print $3}')
libdir=$(cache CMAKE_INSTALL_LIBDIR)

work=$(mktemp -d /tmp/tarvo-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$work/out/tarvo_${version}_amd64.deb
[[ -f $deb ]] || fail "no $(basename "$deb"); cpack made: $(ls "$work/out")"
echo "package-check: built $(basename "$deb") ($(stat -c %s "$deb") bytes)"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == tarvo && $(field Version) == "$version" && $(field Architecture) == amd64 ]] ||
    fail "package name, version or architecture wrong"
[[ $(field Maintainer) == *@* ]] || fail "no maintainer"
[[ $(field Section) == net ]] || fail "section is '$(field Section)'"
[[ -n $(field Description) ]] || fail "no description"
depends=$(field Depends)
for lib in libc6 libqt6core6 libqt6widgets6 libssl3; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib (shlibs): $depends"
done
echo "package-check: Depends: $depends"

dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '^\./$' | grep -v '^\./usr/' &&
    fail "files outside /usr"
dpkg-deb -x "$deb" "$work/x"
diff -u <("$here/expected-files.sh" "$libdir" "$version") <("$here/list-files.sh" "$work/x/usr") ||
    fail "the package's files differ from the list (- expected, + packaged)"

desktop-file-validate "$work/x/usr/share/applications/org.tarvo.Tarvo.desktop" ||
    fail "desktop-file-validate refuses the desktop entry"
appstreamcli validate --no-net "$work/x/usr/share/metainfo/org.tarvo.Tarvo.metainfo.xml" ||
    fail "appstreamcli refuses the metainfo"

if command -v lintian >/dev/null; then
    lintian --fail-on error --tag-display-limit 0 "$deb" | tee "$work/lintian.txt" ||
        fail "lintian found errors"
    echo "package-check: lintian: no errors, $(grep -c '^W:' "$work/lintian.txt" || true) warnings"
else
    fail "lintian is not installed"
fi

# dpkg into a scratch root of its own: its own database, no maintainer scripts run outside it.
scratch=$work/scratch
mkdir -p "$scratch/var/lib/dpkg/info" "$scratch/var/lib/dpkg/updates" "$scratch/var/lib/dpkg/triggers"
touch "$scratch/var/lib/dpkg/status" "$scratch/var/lib/dpkg/available"
dpkg --root="$scratch" --force-depends --force-script-chrootless --force-not-root \
    --log=/dev/null -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i failed"; }
dpkg --root="$scratch" -s tarvo | grep -q '^Status: install ok installed' || fail "not installed"
[[ -L $scratch/usr/bin/tarvo && -x $scratch/usr/lib/tarvo/Tarvo ]] || fail "launcher or program missing"
chmod -R go+rX "$scratch"

"$root/tools/lab/lab.sh" run --config "$root/tools/tarvo/two_routers.ini" \
    --emulator "$build/bin/qs-router-emulator" -- \
    "$here/installed-tarvo-lab-check.sh" "$scratch/usr/lib/tarvo" "$build/bin/qs-emulator-ctl" \
    "$scratch/usr/bin/tarvo" "$version"
