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
# pg_virtualenv exports PGHOST, PGPORT, PGUSER and PGPASSWORD; an empty URI takes them.
exec pg_virtualenv -o "fsync=off" sh -c 'QUOREL_TEST_POSTGRESQL=postgresql:// exec "$@"' sh "$@"
