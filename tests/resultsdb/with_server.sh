#!/usr/bin/env bash
# with_server.sh COMMAND...: runs COMMAND beside a throwaway PostgreSQL
# server (tests/support/scratch_postgres.sh), its environment exported, and
# removes the server however COMMAND ends. Exit status 77, saying why, when
# no server can be had.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
script=$here/../support/scratch_postgres.sh
server=$(mktemp -d "${TMPDIR:-/tmp}/taleplay-pg-XXXXXX")
trap 'bash "$script" remove "$server"' EXIT
bash "$script" start "$server"
status=$?
if [ $status -eq 77 ]; then
    echo "SKIPPED: no PostgreSQL server for the database tests (the reason is above)"
    exit 77
fi
[ $status -eq 0 ] || exit $status
# shellcheck source=/dev/null
source "$server/env"
export TALEPLAY_TEST_SERVER_SCRIPT=$script
"$@"
