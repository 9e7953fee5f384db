#!/usr/bin/env bash
# Runs the journal's server tests on a private PostgreSQL server: a throw-away cluster in a
# temporary folder, on 127.0.0.1 and a free port, stopped at the end whatever happens. The
# server never runs as root: as root, it runs as "nobody". It asks for a password over TCP,
# which the tests give as libpq takes it, in PGPASSWORD.
#
# Usage: postgresql_test.sh JOURNAL_CLI_TESTS
set -euo pipefail
tests=${1:?usage: postgresql_test.sh JOURNAL_CLI_TESTS}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
    echo "SKIP: PostgreSQL is not installed (scripts/deps.sh test)" >&2
    exit 77
fi

dir=$(mktemp -d /tmp/dalko-postgresql.XXXXXX)
as_server=()
if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$dir"
    as_server=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
stop() {
    "${as_server[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
}
trap stop EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export PGPASSWORD=journal-test
echo "$PGPASSWORD" >"$dir/password"
chmod a+r "$dir/password"
"${as_server[@]}" "$bin/initdb" -D "$dir/data" -U dalko --auth-local=trust --auth-host=scram-sha-256 \
    --pwfile="$dir/password" -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log"
"${as_server[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off" start >/dev/null
"${as_server[@]}" "$bin/createdb" -h 127.0.0.1 -p "$port" -U dalko journal

DALKO_TEST_POSTGRESQL="postgresql://dalko@127.0.0.1:$port/journal" "$tests" --gtest_filter='*Server*'
