#!/usr/bin/env bash
# Builds the Debian package in a configured and built folder (build/ unless
# given) with `cpack -G DEB` and checks it: exactly the expected files, owned
# by root, with the usual modes; Depends naming the Qt libraries and Qt's
# translations; the desktop entry, the metainfo file and the manual pages
# valid. Installs the tools it needs when they are missing; the checks
# themselves use no network.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
app_id=org.kestra.Updater

fail() {
    echo "check-package: $*" >&2
    exit 1
}

[ -f "$build_dir/CPackConfig.cmake" ] ||
    fail "$build_dir is not a configured build folder (run scripts/setup.sh $build_dir first)"

# dpkg-dev for dpkg-shlibdeps and file, both used by CPack's DEB generator;
# groff-base to read the manual pages.
scripts/ensure-packages.sh dpkg-dev file desktop-file-utils appstream groff-base

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The version of the project() line, as the build folder was configured with it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build_dir/CMakeCache.txt"
arch=$(dpkg --print-architecture)
deb=$build_dir/kestra-updater_${version}_${arch}.deb

rm -f "$build_dir"/kestra-updater_*.deb
if ! (cd "$build_dir" && cpack -G DEB) >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack -G DEB failed in $build_dir"
fi
[ -f "$deb" ] || fail "cpack made no $deb; it made: $(cd "$build_dir" && echo *.deb)"

# The files the package must hold, and nothing else.
expected=(
    usr/bin/kestra-updater
    usr/bin/kestra-sim
    "usr/share/applications/$app_id.desktop"
    "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    "usr/share/metainfo/$app_id.metainfo.xml"
    usr/share/man/man1/kestra-sim.1.gz
)
if [ -x "$build_dir/kestra-flash" ]; then
    expected+=(usr/bin/kestra-flash usr/share/man/man1/kestra-flash.1.gz)
fi
printf '%s\n' "${expected[@]}" | sort >"$work/expected"

dpkg-deb -c "$deb" >"$work/contents"
problems=()
: >"$work/files"
while read -r mode owner _size _date _time path _rest; do
    path=${path#./}
    [ "$owner" = root/root ] || problems+=("$path is owned by $owner, not root/root")
    case $mode in
    d*)
        [ "$mode" = drwxr-xr-x ] || problems+=("folder $path has mode $mode")
        awk -v folder="$path" 'index($0, folder) == 1 { found = 1 } END { exit !found }' "$work/expected" ||
            problems+=("unexpected folder $path")
        ;;
    -*)
        echo "$path" >>"$work/files"
        want=-rw-r--r--
        [[ $path != usr/bin/* ]] || want=-rwxr-xr-x
        [ "$mode" = "$want" ] || problems+=("$path has mode $mode, not $want")
        ;;
    *) problems+=("unexpected entry $path ($mode)") ;;
    esac
done <"$work/contents"
sort -o "$work/files" "$work/files"
while read -r path; do problems+=("missing $path"); done < <(comm -23 "$work/expected" "$work/files")
while read -r path; do problems+=("unexpected $path"); done < <(comm -13 "$work/expected" "$work/files")

depends=$(dpkg-deb -f "$deb" Depends)
grep -Eq '(^|, )libqt6[a-z]*6( |,|$)' <<<"$depends" || problems+=("Depends names no Qt library: $depends")
grep -Eq '(^|, )qt6-translations-l10n( |,|$)' <<<"$depends" || problems+=("Depends lacks qt6-translations-l10n: $depends")
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || problems+=("package version is not $version")

if ((${#problems[@]})); then
    printf '  %s\n' "${problems[@]}" >&2
    fail "$deb: the package's contents are wrong"
fi

# Validate the files as they were packaged.
root=$work/root
dpkg-deb -x "$deb" "$root"

if ! desktop-file-validate "$root/usr/share/applications/$app_id.desktop" >"$work/desktop.log" 2>&1 ||
    [ -s "$work/desktop.log" ]; then
    cat "$work/desktop.log" >&2
    fail "desktop-file-validate found problems in $app_id.desktop"
fi

metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
if ! appstreamcli validate --no-net "$metainfo" >"$work/metainfo.log" 2>&1; then
    cat "$work/metainfo.log" >&2
    fail "appstreamcli validate found problems in $app_id.metainfo.xml"
fi
grep -q "<release version=\"$version\"" "$metainfo" || fail "$app_id.metainfo.xml has no release $version"

for page in "$root"/usr/share/man/man1/*.1.gz; do
    if ! zcat "$page" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z >"$work/man.log" 2>&1 || [ -s "$work/man.log" ]; then
        cat "$work/man.log" >&2
        fail "groff finds problems in ${page##*/}"
    fi
    zcat "$page" | head -n 1 | grep -q " \"kestra-updater $version\" " ||
        fail "${page##*/} does not name kestra-updater $version"
done

echo "check-package: $deb: ${#expected[@]} files as expected, Depends: $depends; desktop entry, metainfo and manual pages valid"
