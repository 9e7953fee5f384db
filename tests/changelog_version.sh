#!/bin/sh
# debian/changelog's latest entry packages the project's version.
#
# Usage: changelog_version.sh CHANGELOG PROJECT_VERSION
set -eu
version=$(dpkg-parsechangelog -l "$1" -S Version)
upstream=${version#*:}
upstream=${upstream%-*}
if [ "$upstream" != "$2" ]; then
    echo "FAIL: debian/changelog's latest entry is $version, the project's version $2" >&2
    exit 1
fi
echo "debian/changelog packages $2 as $version"
