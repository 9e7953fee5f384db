#!/usr/bin/env bash
# The installed program: installs a built tree into a temporary root, calculates a boiler-house
# report file with the installed dalko-calc (called through its link in bin) and checks that
# the estimate came from the installed template; then builds the Debian package, checks what it
# holds, its control data and lintian's verdict, installs it with dpkg into a private root,
# upgrades it over edited templates and checks that the edits, the desktop integration, the
# manual pages and the program all work there.
#
# Usage: install_test.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: install_test.sh BUILD_DIR}" && pwd)
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
    if ! (cd / && LC_ALL=ru_RU.UTF-8 XDG_DATA_HOME=$data "$root/usr/bin/dalko-calc" --pdf "$pdf" "$report") \
        >"$work/$name.out" 2>&1; then
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

# Every long option the program's --help names is described in its manual page.
check_manual() {
    local usr=$1 program=$2
    local page=$usr/share/man/man1/$program.1.gz
    [ -f "$page" ] || { fail "no manual page $page"; return; }
    local help manual option
    help=$(QT_QPA_PLATFORM=offscreen timeout 30 "$usr/bin/$program" --help) || { fail "$program --help failed"; return; }
    manual=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" | col -b) || { fail "$page does not render"; return; }
    for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
        grep -qF -- "$option" <<<"$manual" || fail "the manual page of $program lacks $option"
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
(cd "$build" && cpack -G DEB -B "$work/package") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; exit 1; }
debs=("$work"/package/dalko_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: no single package was made" >&2
    exit 1
fi
deb=${debs[0]}

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
./usr/share/lintian/overrides/dalko
./usr/share/man/man1/dalko.1.gz
./usr/share/man/man1/dalko-calc.1.gz
./usr/share/metainfo/org.example.dalko.metainfo.xml
./usr/share/mime/packages/dalko.xml
EOF_LIST
)
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' | sort)
if [ "$actual" != "$expected" ]; then
    fail "package contents differ from the expected list:"
    diff <(echo "$expected") <(echo "$actual") >&2 || true
fi
dpkg-deb -c "$deb" | awk '$2 != "root/root" { exit 1 }' || fail "package files are not owned by root"
dpkg-deb -c "$deb" | grep -E '\./usr/lib/dalko/dalko(-calc)?$' | grep -qv '^-rwxr-xr-x' &&
    fail "executables in the package are not mode 755"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = dalko ] || fail "Package is $(field Package)"
[ "$(field Version)" = 3.1.0.9-1 ] || fail "Version is $(field Version)"
[ "$(field Maintainer)" = "dalko developers <dalko@example.org>" ] || fail "Maintainer is $(field Maintainer)"
depends=$(field Depends)
# Fonts, platform plugins and Qt's translations are named by hand; the libraries come from the
# binaries.
for dependency in fonts-liberation fonts-wine qt6-qpa-plugins qt6-translations-l10n libqt6widgets6 \
    libqt6printsupport6 libc6; do
    grep -Eq "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done

# No maintainer scripts: removal takes away all the package brought. The templates are the
# only configuration files.
for member in $(dpkg-deb -I "$deb" | awk '$2 == "bytes," { print $NF }'); do
    case $member in
    control | md5sums | conffiles) ;;
    *) fail "package has a control file beyond control, md5sums and conffiles: $member" ;;
    esac
done
[ "$(dpkg-deb -I "$deb" conffiles)" = $'/etc/dalko/dalko-en.rv\n/etc/dalko/dalko-t.rv' ] ||
    fail "conffiles are not the two templates: $(dpkg-deb -I "$deb" conffiles)"

# lintian: no error, no warning; of the informational tags, none about hardening (BIND_NOW and
# FORTIFY are only informational).
if lintian_out=$(lintian --display-info --fail-on none "$deb" 2>&1); then
    grep -E '^[EW]: |^I: .*hardening-' <<<"$lintian_out" && fail "lintian reports the lines above"
else
    fail "lintian did not run: $lintian_out"
fi

# --- the package installed by dpkg into a private root, then upgraded --------------------
# --path-include undoes any path-exclude of this machine's dpkg configuration (container
# images leave out manuals and docs), so the root gets every file of the package.
dpkg_root=$work/dpkg-root
mkdir -p "$dpkg_root"/var/lib/dpkg/{info,updates,triggers} "$dpkg_root/var/log"
touch "$dpkg_root"/var/lib/dpkg/{status,available}
dpkg_install() {
    dpkg --root="$dpkg_root" --log="$dpkg_root/var/log/dpkg.log" --force-depends --force-not-root \
        --path-include='*' "$@" -i "$deb" \
        >>"$work/dpkg.log" 2>&1 || { fail "dpkg $* -i failed:"; cat "$work/dpkg.log" >&2; }
}
dpkg_install
mark_templates "$dpkg_root"
dpkg_install --force-confold
[ "$(grep -l INSTALLED-TEMPLATE-MARK "$dpkg_root"/etc/dalko/*.rv | wc -l)" -eq 2 ] ||
    fail "the upgrade lost the edits of /etc/dalko/dalko-en.rv or dalko-t.rv"
check_links "$dpkg_root/usr" package
check_estimate "$dpkg_root" package

usr=$dpkg_root/usr
for program in dalko dalko-calc; do
    check_manual "$usr" "$program"
done
desktop=$usr/share/applications/dalko.desktop
desktop-file-validate "$desktop" || fail "the menu entry does not validate"
grep -qx 'MimeType=application/x-dalko-report;' "$desktop" || fail "the menu entry declares no report file type"
grep -Eq '^Exec=dalko %f$' "$desktop" || fail "the menu entry does not pass the file to dalko"
# The metainfo on its own, then together with the menu entry it names as launchable.
appstream validate --no-net "$usr/share/metainfo/org.example.dalko.metainfo.xml"
appstream validate-tree --no-net "$dpkg_root"
# The MIME database built from the installed package knows report files by their name.
cp -r "$usr/share/mime" "$work/mime"
update-mime-database "$work/mime" >"$work/mime.log" 2>&1 ||
    { fail "update-mime-database refused the file type:"; cat "$work/mime.log" >&2; }
grep -qx 'application/x-dalko-report:\*\.rvj' <(cut -d: -f2- "$work/mime/globs2") ||
    fail "*.rvj is not application/x-dalko-report in the MIME database"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install and package checks passed"
