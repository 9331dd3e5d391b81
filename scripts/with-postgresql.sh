#!/usr/bin/env bash
# Runs a command with QUOREL_TEST_POSTGRESQL naming a throw-away PostgreSQL cluster made for it
# (Debian's pg_virtualenv), which is dropped afterwards. Fails loudly when PostgreSQL cannot start.
#
#   scripts/with-postgresql.sh COMMAND [ARGUMENTS...]
set -euo pipefail
if ! command -v pg_virtualenv >/dev/null; then
  echo "with-postgresql: pg_virtualenv is missing: install the postgresql package (scripts/setup.sh does)" >&2
  exit 1
fi
# Run as root, pg_virtualenv makes its cluster under /etc/postgresql with one fixed name, so two
# runs at once would collide: they take turns.
lock=()
[ "$(id -u)" = 0 ] && lock=(flock /tmp/quorelapi-pg_virtualenv.lock)
# pg_virtualenv exports PGHOST, PGPORT, PGUSER and PGPASSWORD; an empty URI takes them.
exec "${lock[@]}" pg_virtualenv -o "fsync=off" sh -c 'QUOREL_TEST_POSTGRESQL=postgresql:// exec "$@"' sh "$@"
