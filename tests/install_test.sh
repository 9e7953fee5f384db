#!/usr/bin/env bash
# The installed program: installs a built tree into a temporary root, calculates a boiler-house
# report file with the installed dalko-calc (called through its link in bin) and checks that
# the estimate came from the installed template; then builds the Debian package and checks
# what it holds, its control data, and that the program runs from the unpacked package too.
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

# Marks the template in a program folder, so that the estimate shows which file it was made from.
mark_template() {
    sed -i 's|<body\([^>]*\)>|&<p>INSTALLED-TEMPLATE-MARK</p>|' "$1/lib/dalko/dalko-t.rv"
    grep -q INSTALLED-TEMPLATE-MARK "$1/lib/dalko/dalko-t.rv" || fail "$1: template could not be marked"
}

# Runs the boiler calculation through <usr>/bin/dalko-calc from an unrelated directory.
check_estimate() {
    local usr=$1 name=$2
    local pdf=$work/$name.pdf
    if ! (cd / && LC_ALL=ru_RU.UTF-8 "$usr/bin/dalko-calc" --pdf "$pdf" "$report") >"$work/$name.out" 2>&1; then
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

# --- cmake --install into a temporary root -------------------------------------------------
root=$work/root
DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log" >&2; exit 1; }
check_links "$root/usr" install
mark_template "$root/usr"
check_estimate "$root/usr" install

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
expected=$(sort <<'EOF'
./usr/bin/dalko -> ../lib/dalko/dalko
./usr/bin/dalko-calc -> ../lib/dalko/dalko-calc
./usr/lib/dalko/dalko
./usr/lib/dalko/dalko-calc
./usr/lib/dalko/dalko-en.rv
./usr/lib/dalko/dalko-t.rv
./usr/lib/dalko/splash.jpg
./usr/lib/dalko/logo.jpg
./usr/lib/dalko/dalko.png
./usr/lib/dalko/dalko-48.png
./usr/lib/dalko/estimate.png
./usr/share/applications/dalko.desktop
./usr/share/icons/hicolor/48x48/apps/dalko.png
./usr/share/icons/hicolor/256x256/apps/dalko.png
EOF
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
[ "$(field Version)" = 3.1.0.9 ] || fail "Version is $(field Version)"
[ "$(field Maintainer)" = "dalko developers" ] || fail "Maintainer is $(field Maintainer)"
depends=$(field Depends)
# The fonts and the platform plugins are named by hand; the libraries come from the binaries.
for dependency in fonts-liberation fonts-wine qt6-qpa-plugins libqt6widgets6 libqt6printsupport6 libc6; do
    grep -Eq "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done

# No maintainer scripts or configuration files: removal takes away all the package brought.
mkdir "$work/control"
dpkg-deb -e "$deb" "$work/control"
for file in "$work"/control/*; do
    case ${file##*/} in
    control | md5sums) ;;
    *) fail "package has a control file beyond control and md5sums: ${file##*/}" ;;
    esac
done

unpacked=$work/unpacked
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/dalko.desktop" || fail "the menu entry does not validate"
check_links "$unpacked/usr" package
mark_template "$unpacked/usr"
check_estimate "$unpacked/usr" package

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install and package checks passed"
