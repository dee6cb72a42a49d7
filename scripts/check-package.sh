#!/usr/bin/env bash
# Builds the Debian package in a configured and built folder (build/ unless
# given) with `cpack -G DEB` and checks it: exactly the expected files, owned
# by root, with the usual modes; a manual page for every program; Depends
# naming the Qt libraries, Qt's translations and SQL plugins; the desktop entry, the
# metainfo file and the manual pages valid; the copyright file under the
# metainfo's licence; the changelog naming this version and the package's
# maintainer; no lintian error and no hardening tag (lintian's warnings and
# notes are printed). Installs the tools it needs when they are missing; the
# checks themselves use no network.
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
scripts/ensure-packages.sh dpkg-dev file desktop-file-utils appstream groff-base lintian

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
    usr/bin/kestra-flash
    usr/bin/kestra-sim
    "usr/share/applications/$app_id.desktop"
    "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    "usr/share/metainfo/$app_id.metainfo.xml"
    usr/share/man/man1/kestra-updater.1.gz
    usr/share/man/man1/kestra-flash.1.gz
    usr/share/man/man1/kestra-sim.1.gz
    usr/share/doc/kestra-updater/copyright
    usr/share/doc/kestra-updater/changelog.gz
    usr/share/bash-completion/completions/kestra-flash
    usr/share/kestra-updater/kestra-history-server.sql
)
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
# Whatever the list above says: every program has its manual page.
while read -r program; do
    grep -qx "usr/share/man/man1/${program##*/}.1.gz" "$work/files" ||
        problems+=("$program has no manual page usr/share/man/man1/${program##*/}.1.gz")
done < <(grep '^usr/bin/' "$work/files")

depends=$(dpkg-deb -f "$deb" Depends)
grep -Eq '(^|, )libqt6[a-z]*6( |,|$)' <<<"$depends" || problems+=("Depends names no Qt library: $depends")
for plugin_package in qt6-translations-l10n libqt6sql6-sqlite libqt6sql6-psql; do
    grep -Eq "(^|, )$plugin_package( |,|\$)" <<<"$depends" || problems+=("Depends lacks $plugin_package: $depends")
done
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

# The copyright file in Debian's machine-readable format, its files under the
# licence the metainfo declares (SPDX there, Debian's short name here).
copyright=$root/usr/share/doc/kestra-updater/copyright
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" ||
    fail "the copyright file is not in the machine-readable format 1.0"
project_license=$(sed -n 's:.*<project_license>\(.*\)</project_license>.*:\1:p' "$metainfo")
case $project_license in
GPL-3.0-or-later) dep5_license=GPL-3+ ;;
GPL-3.0-only) dep5_license=GPL-3 ;;
GPL-2.0-or-later) dep5_license=GPL-2+ ;;
*) fail "no Debian short name known here for the metainfo's licence '$project_license'" ;;
esac
awk '/^Files: \*$/ { all = 1; next } /^$/ { all = 0 } all && /^License:/ { print $2 }' "$copyright" \
    >"$work/license"
[ "$(cat "$work/license")" = "$dep5_license" ] ||
    fail "the copyright file's 'Files: *' are under '$(cat "$work/license")', the metainfo declares $project_license ($dep5_license)"
grep -qx "License: $dep5_license" "$copyright" || fail "the copyright file has no text for $dep5_license"

# The changelog: Debian's format, this version and the package's maintainer on top.
zcat "$root/usr/share/doc/kestra-updater/changelog.gz" >"$work/changelog"
if ! dpkg-parsechangelog -l "$work/changelog" >"$work/changelog.fields" 2>"$work/changelog.log" ||
    [ -s "$work/changelog.log" ]; then
    cat "$work/changelog.log" >&2
    fail "dpkg-parsechangelog finds problems in changelog.gz"
fi
changelog_field() { sed -n "s/^$1: //p" "$work/changelog.fields"; }
[ "$(changelog_field Version)" = "$version" ] ||
    fail "changelog.gz starts with version $(changelog_field Version), not $version"
[ "$(changelog_field Maintainer)" = "$(dpkg-deb -f "$deb" Maintainer)" ] ||
    fail "changelog.gz names $(changelog_field Maintainer), the package $(dpkg-deb -f "$deb" Maintainer)"
# The metainfo's release date, with the right weekday (date(1) writes it anew).
changelog_date=$(changelog_field Date)
release_date=$(sed -n "s:.*<release version=\"$version\" date=\"\([0-9-]*\)\".*:\1:p" "$metainfo")
[ "$(date -u -d "$changelog_date" +%F)" = "$release_date" ] ||
    fail "changelog.gz is dated $changelog_date, the metainfo's release $release_date"
[ "$(date -u -R -d "$changelog_date")" = "$changelog_date" ] ||
    fail "changelog.gz's date $changelog_date is not as Debian writes it: $(date -u -R -d "$changelog_date")"

# lintian: no error, and none of its hardening tags, which are notes ("I:")
# for some flags; its warnings and notes are printed, not failed on.
lintian_status=0
lintian --fail-on error --display-info "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v '^running with root privileges' "$work/lintian.log" >"$work/lintian.tags" || true
if [ "$lintian_status" -ne 0 ] || grep -q ': hardening-' "$work/lintian.tags"; then
    cat "$work/lintian.tags" >&2
    fail "lintian finds errors or hardening problems in $deb (exit status $lintian_status)"
fi
if [ -s "$work/lintian.tags" ]; then
    echo "check-package: lintian's warnings and notes, tolerated:"
    sed 's/^/  /' "$work/lintian.tags"
fi

echo "check-package: $deb: ${#expected[@]} files as expected, Depends: $depends; desktop entry, metainfo," \
    "manual pages, copyright and changelog valid; no lintian error"
