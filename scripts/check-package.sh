#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it:
#
#   scripts/check-package.sh BUILD_DIR [OUT_DIR]
#
# cpack makes the .deb, dpkg-deb unpacks it, the contents are checked (the
# program, its help where the program looks for it, the desktop entry, the
# icons, the metainfo, the Debian documents), the unpacked program is started
# once on Qt's offscreen platform, and lintian, desktop-file-validate and
# appstreamcli validate must pass. OUT_DIR, when given, keeps the .deb.
# Every check runs; the exit status is non-zero when any failed, and 77
# (skipped, to CTest) when a tool the checks need is missing.

# shellcheck disable=SC2015  # "test && pass || fail" is safe: pass never fails
set -uo pipefail

build=$(cd "${1:?usage: check-package.sh BUILD_DIR [OUT_DIR]}" && pwd) || exit 2
out=${2:-}
src=$(cd "$(dirname "$0")/.." && pwd)
app_id=org.example.veltrana

for tool in cpack dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "check-package: $tool not found (scripts/install-deps.sh): skipped" >&2; exit 77; }
done
[[ -f $build/CPackConfig.cmake ]] || { echo "check-package: $build is not a configured build folder" >&2; exit 2; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-pkg.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# The package must hold the current program, not whatever was built last.
cmake --build "$build" --target veltrana veltrana_package_docs >"$tmp/build.log" 2>&1 \
    || { cat "$tmp/build.log"; echo "check-package: build failed" >&2; exit 1; }
cpack --config "$build/CPackConfig.cmake" -B "$tmp/cpack" >"$tmp/cpack.log" 2>&1 \
    || { cat "$tmp/cpack.log"; echo "check-package: cpack failed" >&2; exit 1; }

shopt -s nullglob
debs=("$tmp"/cpack/*.deb)
((${#debs[@]} == 1)) || { echo "check-package: expected one .deb, got ${#debs[@]}" >&2; exit 1; }
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
depends=$(dpkg-deb -f "$deb" Depends)
echo "package: $(basename "$deb")"
echo "Depends: $depends"

[[ $(basename "$deb") == "veltrana_${version}_${arch}.deb" && $arch == "$(dpkg --print-architecture)" ]] \
    && pass "file name" || fail "file name $(basename "$deb") (version $version, arch $arch)"
grep -qw espeak-ng-data <<<"$depends" && pass "depends on the voice data" || fail "Depends lacks espeak-ng-data"
# Loaded when the voice first speaks, so dpkg-shlibdeps does not see them.
for voz in libespeak-ng1 libpulse0; do
    grep -qw "$voz" <<<"$depends" && pass "depends on $voz" || fail "Depends lacks $voz"
done
grep -qw libqt6widgets6 <<<"$depends" && pass "library dependencies from dpkg-shlibdeps" \
    || fail "Depends lacks the Qt libraries: dpkg-shlibdeps did not run"

root=$tmp/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share

# The program, stripped, and its help at <bindir>/../share/veltrana.
bin=$root/usr/bin/veltrana
[[ -x $bin ]] && file -b "$bin" | grep -q '^ELF.*, stripped' && pass "usr/bin/veltrana" \
    || fail "usr/bin/veltrana missing, not executable or not stripped"
cmp -s "$share/veltrana/Ayudavt.html" "$src/resources/Ayudavt.html" && pass "help document" \
    || fail "usr/share/veltrana/Ayudavt.html missing or not the project's"

# The desktop entry names a program and an icon that the package installs.
desktop=$share/applications/$app_id.desktop
key() { sed -n "s/^$1=//p" "$desktop" | head -n1; }
if [[ -f $desktop ]]; then
    [[ $(key Exec) == veltrana* ]] && pass "desktop Exec" || fail "desktop Exec=$(key Exec)"
    icon=$(key Icon)
    [[ -f $share/icons/hicolor/scalable/apps/$icon.svg ]] && pass "scalable icon" \
        || fail "no hicolor/scalable/apps/$icon.svg"
    for size in 32 48; do
        png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
        file -b "$png" 2>/dev/null | grep -q "PNG image data, $size x $size," && pass "${size}x$size icon" \
            || fail "no ${size}x$size PNG at hicolor/${size}x${size}/apps/$icon.png"
    done
else
    fail "no usr/share/applications/$app_id.desktop"
fi

# The metainfo points at that desktop entry and knows this version.
metainfo=$share/metainfo/$app_id.metainfo.xml
if [[ -f $metainfo ]]; then
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
        && pass "metainfo launchable" || fail "metainfo does not launch $app_id.desktop"
    newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
    [[ $newest == "${version%-*}" ]] && pass "metainfo release $newest" \
        || fail "newest metainfo release is '$newest', the package is $version"
else
    fail "no usr/share/metainfo/$app_id.metainfo.xml"
fi

for doc in doc/veltrana/copyright doc/veltrana/changelog.Debian.gz man/man1/veltrana.1.gz; do
    [[ -f $share/$doc ]] && pass "$doc" || fail "no usr/share/$doc"
done

# The unpacked program starts and keeps running until stopped.
QT_QPA_PLATFORM=offscreen timeout 3 "$bin" >"$tmp/run.log" 2>&1
status=$?
if ((status == 124)); then
    pass "program starts"
else
    cat "$tmp/run.log"
    fail "program ended with status $status within 3 s"
fi

echo "--- desktop-file-validate"
if dfv=$(desktop-file-validate "$desktop" 2>&1) && ! grep -qE ': (error|warning):' <<<"$dfv"; then
    [[ -n $dfv ]] && echo "$dfv"
    pass "desktop-file-validate"
else
    echo "$dfv"
    fail "desktop-file-validate"
fi

echo "--- appstreamcli validate"
appstreamcli validate --no-net --strict "$metainfo" && pass "appstreamcli validate" || fail "appstreamcli validate"

echo "--- lintian"
lintian --display-info --fail-on error "$deb" 2> >(grep -v 'running with root privileges' >&2) \
    && pass "lintian" || fail "lintian"

if [[ -n $out ]]; then
    mkdir -p "$out" && cp "$deb" "$out/" && echo "kept $out/$(basename "$deb")"
fi

if ((failures)); then
    echo "check-package: $failures check(s) failed"
    exit 1
fi
echo "check-package: all checks passed"
