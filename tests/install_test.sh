#!/usr/bin/env bash
# The installed program: installs a built tree into a temporary root, calculates a boiler-house
# report file with the installed dalko-calc (called through its link in bin) and checks that
# the estimate came from the installed template; then builds the Debian package from the source
# tree with dpkg-buildpackage, checks what it holds, its control data and lintian's verdict, and
# takes it through its life in a private dpkg root: an upgrade from the earlier layout over a
# template a firm edited, an upgrade over edited and unedited configuration files, removal and
# purge.
#
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(cd "${1:?usage: install_test.sh BUILD_DIR SOURCE_DIR}" && pwd)
source=$(cd "${2:?usage: install_test.sh BUILD_DIR SOURCE_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A boiler-house report file as the program writes it: Windows-1251, CR LF.
report=$work/boiler.rvj
printf '%s\r\n' "не задано" "не задано" "не задано" 30000 35 35 15 true 0 2 1 0 0 90 "0,5" "0,9" "0,9" 85 1 "178,57" |
    iconv -f UTF-8 -t CP1251 >"$report"

# Edits both templates in a root's /etc/dalko as a firm would, so that the estimate shows which
# file it was made from and an upgrade can be seen to keep the edit.
mark_templates() {
    local template
    for template in "$1"/etc/dalko/dalko-en.rv "$1"/etc/dalko/dalko-t.rv; do
        sed -i 's|<body\([^>]*\)>|&<p>INSTALLED-TEMPLATE-MARK</p>|' "$template"
        grep -q INSTALLED-TEMPLATE-MARK "$template" || fail "$template could not be marked"
    done
}

# Runs the boiler calculation through <root>/usr/bin/dalko-calc from an unrelated directory.
# The user's data folder leads to the root's /etc/dalko, so the estimate must come from there.
check_estimate() {
    local root=$1 name=$2
    local pdf=$work/$name.pdf data=$work/$name-data
    mkdir -p "$data"
    ln -sfn "$root/etc/dalko" "$data/dalko"
    # Dated in the years of the method's 18 %: the totals are the method's own.
    if ! (cd / && LC_ALL=ru_RU.UTF-8 XDG_DATA_HOME=$data "$root/usr/bin/dalko-calc" \
        --date 2018-12-31 --pdf "$pdf" "$report") >"$work/$name.out" 2>&1; then
        fail "$name: dalko-calc failed:"
        cat "$work/$name.out" >&2
        return
    fi
    grep -q $'^TotalCost\t57926,51$' "$work/$name.out" || fail "$name: TotalCost is not 57926,51"
    local text
    text=$(pdftotext "$pdf" -) || { fail "$name: no readable PDF"; return; }
    grep -q "57926,51" <<<"$text" || fail "$name: the estimate lacks the total 57926,51"
    grep -q "INSTALLED-TEMPLATE-MARK" <<<"$text" || fail "$name: the estimate was not made from the installed template"
}

# Both links must be relative, so that they work in any root, and lead to the program folder.
check_links() {
    local usr=$1 name=$2 program
    for program in dalko dalko-calc; do
        [ -L "$usr/bin/$program" ] || { fail "$name: bin/$program is not a link"; continue; }
        [ "$(readlink "$usr/bin/$program")" = "../lib/dalko/$program" ] ||
            fail "$name: bin/$program points to $(readlink "$usr/bin/$program")"
        [ -x "$usr/lib/dalko/$program" ] || fail "$name: lib/dalko/$program is not executable"
        # The system Qt needs no search path; one would lead into the build tree.
        if readelf -d "$usr/lib/dalko/$program" | grep -Eq 'RPATH|RUNPATH'; then
            fail "$name: lib/dalko/$program carries a library search path"
        fi
    done
}

# Both manual pages in both languages, by the locale man is given.
check_manuals() {
    local usr=$1 program english russian
    for program in dalko dalko-calc; do
        english=$(MANPATH=$usr/share/man LC_ALL=C.UTF-8 man -L C "$program" | col -bx)
        grep -qx NAME <<<"$english" || fail "man -L C $program does not show the English page"
        russian=$(MANPATH=$usr/share/man LC_ALL=C.UTF-8 man -L ru "$program" | col -bx)
        grep -qx ИМЯ <<<"$russian" || fail "man -L ru $program does not show the Russian page"
    done
}

# appstreamcli quiet unless it finds fault.
appstream() {
    appstreamcli "$@" >"$work/appstream.log" 2>&1 || { fail "appstreamcli $*:"; cat "$work/appstream.log" >&2; }
}

# --- cmake --install into a temporary root -------------------------------------------------
root=$work/root
DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log" >&2; exit 1; }
check_links "$root/usr" install
mark_templates "$root"
check_estimate "$root" install

# --- the Debian package --------------------------------------------------------------------
# Built from a copy of the source tree, in a fixed folder of the build tree: the compiler's
# command lines name the folder, so ccache finds the objects of the last run. debhelper gives
# the build a home of its own, so ccache is told where its cache is.
package=$build/package
rm -rf "$package"
mkdir -p "$package/dalko"
(cd "$source" && git ls-files -z -co --exclude-standard | tar --null -T - --ignore-failed-read -cf -) |
    tar -C "$package/dalko" -xf -
if command -v ccache >/dev/null && [ -z "${CCACHE_DIR:-}" ]; then
    CCACHE_DIR=$(ccache -k cache_dir)
    export CCACHE_DIR
fi
# Built as the README says, its test step included.
(cd "$package/dalko" && DEB_BUILD_OPTIONS="parallel=2" dpkg-buildpackage -us -uc -b) \
    >"$work/dpkg-buildpackage.log" 2>&1 || { cat "$work/dpkg-buildpackage.log" >&2; exit 1; }
version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
arch=$(dpkg --print-architecture)
deb=$package/dalko_${version}_$arch.deb
dbgsym=$package/dalko-dbgsym_${version}_$arch.deb
changes=$package/dalko_${version}_$arch.changes
for file in "$deb" "$dbgsym" "$changes"; do
    [ -f "$file" ] || { echo "FAIL: dpkg-buildpackage made no $(basename "$file")" >&2; exit 1; }
done

# Exactly these files and links, nothing else (no build-tree files, no tests).
expected=$(sort <<'EOF_LIST'
./etc/dalko/dalko-en.rv
./etc/dalko/dalko-t.rv
./usr/bin/dalko -> ../lib/dalko/dalko
./usr/bin/dalko-calc -> ../lib/dalko/dalko-calc
./usr/lib/dalko/dalko
./usr/lib/dalko/dalko-calc
./usr/lib/dalko/splash.jpg
./usr/lib/dalko/logo.jpg
./usr/lib/dalko/dalko.png
./usr/lib/dalko/dalko-48.png
./usr/lib/dalko/estimate.png
./usr/share/applications/dalko.desktop
./usr/share/doc/dalko/changelog.Debian.gz
./usr/share/doc/dalko/copyright
./usr/share/icons/hicolor/48x48/apps/dalko.png
./usr/share/icons/hicolor/256x256/apps/dalko.png
./usr/share/man/man1/dalko.1.gz
./usr/share/man/man1/dalko-calc.1.gz
./usr/share/man/ru/man1/dalko.1.gz
./usr/share/man/ru/man1/dalko-calc.1.gz
./usr/share/metainfo/org.example.dalko.metainfo.xml
./usr/share/mime/packages/dalko.xml
EOF_LIST
)
contents=$(dpkg-deb -c "$deb")
actual=$(awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' <<<"$contents" | sort)
if [ "$actual" != "$expected" ]; then
    fail "package contents differ from the expected list:"
    diff <(echo "$expected") <(echo "$actual") >&2 || true
fi
awk '$2 != "root/root" { exit 1 }' <<<"$contents" || fail "package files are not owned by root"
grep -E '\./usr/lib/dalko/dalko(-calc)?$' <<<"$contents" | grep -qv '^-rwxr-xr-x' &&
    fail "executables in the package are not mode 755"
[ "$(dpkg-deb -c "$dbgsym" | grep -c '\./usr/lib/debug/\.build-id/.*\.debug$')" -eq 2 ] ||
    fail "the -dbgsym package does not hold the debug symbols of both programs"

# The hardening of Debian's flags, in the programs of the package and in those of the plain
# build: PIE, stack protector, read-only relocations, immediate binding. Control-flow protection
# is no flag of Debian 12; FORTIFY is judged by the compile commands, as hardening-check finds no
# call the compiler could fortify and reports that as missing.
dpkg-deb -x "$deb" "$work/unpacked"
for program in "$work/unpacked/usr/lib/dalko/dalko" "$work/unpacked/usr/lib/dalko/dalko-calc" \
    "$build/bin/dalko" "$build/bin/dalko-calc"; do
    hardening-check --quiet --nofortify --nocfprotection "$program" >&2 ||
        fail "$program lacks a hardening feature"
done
grep '"command"' "$build/compile_commands.json" | grep -v -e '_FORTIFY_SOURCE=2' -e '/tests/fuzz/' |
    grep . >/dev/null && fail "a file of the build is compiled without _FORTIFY_SOURCE"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = dalko ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), not $version"
[ "$(field Maintainer)" = "dalko developers <dalko@example.org>" ] || fail "Maintainer is $(field Maintainer)"
depends=$(field Depends)
# Fonts, the SQL driver and Qt's translations are named by hand; the libraries come from the
# binaries.
for dependency in fonts-liberation libqt6sql6-sqlite qt6-translations-l10n libqt6widgets6 \
    libqt6printsupport6 libc6; do
    grep -Eq "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done
for dependency in fonts-wine qt6-qpa-plugins; do
    grep -Eq "(^|, )$dependency( |,|$)" <<<"$depends" && fail "Depends names $dependency: $depends"
done
[ "$(field Suggests)" = libqt6sql6-psql ] || fail "Suggests is $(field Suggests)"
# Installed-Size counts each file once: the links in bin add a kibibyte each, not the programs
# (a few kibibytes either way are dpkg's rounding).
kibibytes=$(awk '{ total += $1 ~ /^-/ ? int(($3 + 1023) / 1024) : 1 } END { print total }' <<<"$contents")
[ "$(field Installed-Size)" -le $((kibibytes + 16)) ] ||
    fail "Installed-Size $(field Installed-Size) exceeds the $kibibytes KiB of the files"
# No compiler notes in the programs: they are stripped as Debian strips them.
mkdir -p "$work/unpacked"
dpkg-deb -x "$deb" "$work/unpacked"
for program in dalko dalko-calc; do
    sections=$(readelf -S "$work/unpacked/usr/lib/dalko/$program")
    grep -q '\.comment' <<<"$sections" && fail "$program keeps a .comment section"
done

for member in $(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed -n 's|^\./\(.\)|\1|p'); do
    case $member in
    control | md5sums | conffiles | preinst | postrm) ;;
    *) fail "package has a control file beyond control, md5sums, conffiles and its scripts: $member" ;;
    esac
done
[ "$(dpkg-deb -I "$deb" conffiles)" = $'/etc/dalko/dalko-en.rv\n/etc/dalko/dalko-t.rv' ] ||
    fail "conffiles are not the two templates: $(dpkg-deb -I "$deb" conffiles)"

# lintian: no error, no warning; of the informational tags, none about hardening (BIND_NOW and
# FORTIFY are only informational).
if lintian_out=$(lintian --display-info --fail-on none "$changes" 2>&1); then
    grep -E '^[EW]: |^I: .*hardening-' <<<"$lintian_out" && fail "lintian reports the lines above"
else
    fail "lintian did not run: $lintian_out"
fi

# --- the package's life in a private dpkg root ---------------------------------------------
# The maintainer scripts run without a chroot and find the root in DPKG_ROOT. --path-include
# undoes any path-exclude of this machine's dpkg configuration (container images leave out
# manuals and docs), so the root gets every file of the package.
dpkg_root=$work/dpkg-root
mkdir -p "$dpkg_root"/var/lib/dpkg/{info,updates,triggers} "$dpkg_root/var/log"
touch "$dpkg_root"/var/lib/dpkg/{status,available}
root_dpkg() {
    dpkg --root="$dpkg_root" --log="$dpkg_root/var/log/dpkg.log" --force-not-root \
        --force-script-chrootless --force-depends --path-include='*' "$@" >>"$work/dpkg.log" 2>&1
}
in_root() { root_dpkg "$@" || { fail "dpkg $* failed:"; cat "$work/dpkg.log" >&2; }; }
templates=$dpkg_root/etc/dalko
shipped() { cmp -s "$source/assets/$1" "$templates/$1"; }
has_mark() { grep -q INSTALLED-TEMPLATE-MARK "$templates/$1"; }

# A package of the earlier layout (3.1.0.9): the templates in the program folder, not
# configuration files; md5sums as that package had them.
old=$work/old
mkdir -p "$old/DEBIAN" "$old/usr/lib/dalko"
for template in dalko-en.rv dalko-t.rv; do
    { cat "$source/assets/$template"; echo '<!-- as 3.1.0.9 shipped it -->'; } >"$old/usr/lib/dalko/$template"
done
cat >"$old/DEBIAN/control" <<EOF_CONTROL
Package: dalko
Version: 3.1.0.9
Architecture: $arch
Maintainer: dalko developers
Description: cost calculator of energy-audit works
EOF_CONTROL
(cd "$old" && md5sum usr/lib/dalko/*) >"$old/DEBIAN/md5sums"
dpkg-deb --root-owner-group -b "$old" "$work/dalko-old.deb" >/dev/null

# The firm edited the boiler-house template where that package told it to; upgrading keeps the
# edit as the configuration file, the new template beside it, and replaces the unedited one.
in_root -i "$work/dalko-old.deb"
sed -i 's|<body\([^>]*\)>|&<p>INSTALLED-TEMPLATE-MARK</p>|' "$dpkg_root/usr/lib/dalko/dalko-t.rv"

# An upgrade that fails on the way (another package's file in the way) leaves the old version's
# templates where it reads them.
blocker=$work/blocker
mkdir -p "$blocker/DEBIAN" "$blocker/usr/share/applications"
echo '[Desktop Entry]' >"$blocker/usr/share/applications/dalko.desktop"
cat >"$blocker/DEBIAN/control" <<EOF_CONTROL
Package: dalko-blocker
Version: 1
Architecture: all
Maintainer: dalko developers
Description: a file in the way of dalko's menu entry
EOF_CONTROL
dpkg-deb --root-owner-group -b "$blocker" "$work/blocker.deb" >/dev/null
in_root -i "$work/blocker.deb"
root_dpkg --force-confold -i "$deb" && fail "the upgrade went through over another package's file"
grep -q INSTALLED-TEMPLATE-MARK "$dpkg_root/usr/lib/dalko/dalko-t.rv" ||
    fail "the failed upgrade did not put the edited dalko-t.rv back in /usr/lib/dalko"
[ -e "$templates" ] && fail "the failed upgrade left $templates"
in_root -r dalko-blocker
in_root --force-confold -i "$deb"
ls "$dpkg_root"/usr/lib/dalko/*.rv >/dev/null 2>&1 && fail "templates are left in /usr/lib/dalko"
has_mark dalko-t.rv || fail "the upgrade from 3.1.0.9 lost the edited dalko-t.rv"
cmp -s "$source/assets/dalko-t.rv" "$templates/dalko-t.rv.dpkg-dist" ||
    fail "the new dalko-t.rv is not beside the edited one as dalko-t.rv.dpkg-dist"
shipped dalko-en.rv || fail "the unedited dalko-en.rv of 3.1.0.9 was not replaced"
[ -e "$templates/dalko-en.rv.dpkg-dist" ] && fail "the unedited dalko-en.rv left a .dpkg-dist"
check_estimate "$dpkg_root" upgraded-layout

# A later version with changed templates, over the edited dalko-t.rv and the unedited dalko-en.rv.
next=$work/next
dpkg-deb -R "$deb" "$next"
sed -i 's/^Version: .*/&+next/' "$next/DEBIAN/control"
for template in dalko-en.rv dalko-t.rv; do
    echo '<!-- NEXT-RELEASE -->' >>"$next/etc/dalko/$template"
done
(cd "$next" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | xargs -0 md5sum) >"$next/DEBIAN/md5sums"
dpkg-deb --root-owner-group -b "$next" "$work/dalko-next.deb" >/dev/null
in_root --force-confold -i "$work/dalko-next.deb"
has_mark dalko-t.rv || fail "the upgrade lost the edit of /etc/dalko/dalko-t.rv"
grep -q NEXT-RELEASE "$templates/dalko-t.rv.dpkg-dist" ||
    fail "the next dalko-t.rv is not beside the edited one as dalko-t.rv.dpkg-dist"
grep -q NEXT-RELEASE "$templates/dalko-en.rv" || fail "the unedited /etc/dalko/dalko-en.rv was not replaced"
[ -e "$templates/dalko-en.rv.dpkg-dist" ] && fail "the unedited dalko-en.rv left a .dpkg-dist"

usr=$dpkg_root/usr
check_links "$usr" package
check_estimate "$dpkg_root" package
check_manuals "$usr"
desktop=$usr/share/applications/dalko.desktop
desktop-file-validate "$desktop" || fail "the menu entry does not validate"
grep -qx 'MimeType=application/x-dalko-report;' "$desktop" || fail "the menu entry declares no report file type"
grep -Eq '^Exec=dalko %f$' "$desktop" || fail "the menu entry does not pass the file to dalko"
# The metainfo on its own, then together with the menu entry it names as launchable.
appstream validate --no-net "$usr/share/metainfo/org.example.dalko.metainfo.xml"
appstream validate-tree --no-net "$dpkg_root"
grep -q "<release version=\"${version%-*}\"" "$usr/share/metainfo/org.example.dalko.metainfo.xml" ||
    fail "the AppStream data do not name release ${version%-*}"
# The MIME database built from the installed package knows report files by their name.
cp -r "$usr/share/mime" "$work/mime"
update-mime-database "$work/mime" >"$work/mime.log" 2>&1 ||
    { fail "update-mime-database refused the file type:"; cat "$work/mime.log" >&2; }
grep -qx 'application/x-dalko-report:\*\.rvj' <(cut -d: -f2- "$work/mime/globs2") ||
    fail "*.rvj is not application/x-dalko-report in the MIME database"

# Removal leaves the configuration files, purge nothing (dpkg's own records aside).
left() { (cd "$dpkg_root" && find . -mindepth 1 -not -path './var' -not -path './var/*' | sort); }
in_root -r dalko
expected=$(printf '%s\n' ./etc ./etc/dalko ./etc/dalko/dalko-en.rv ./etc/dalko/dalko-t.rv \
    ./etc/dalko/dalko-t.rv.dpkg-dist)
[ "$(left)" = "$expected" ] || { fail "removal left other than /etc/dalko:"; left >&2; }
in_root -P dalko
[ -z "$(left)" ] || { fail "purge left:"; left >&2; }

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install and package checks passed"
