#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests and the benchmark: Debian's
# server binaries, a cluster made in a temporary folder of its own by an
# unprivileged account (the package's postgres account when run as root),
# listening on a free port of 127.0.0.1 only, with password logins (SCRAM)
# and a database named school.
#
#   scratch_postgres.sh start DIR [--durable]
#       makes DIR's cluster and starts it; writes DIR/env, to be sourced:
#       PGHOST, PGPORT, PGPASSFILE (the three accounts' passwords),
#       PGSERVICEFILE (the services school_admin, school_pupil and
#       school_teacher), TALEPLAY_TEST_ADMIN (a URL without a password), the
#       pupil's and teacher's passwords as taleplay-results-db init takes
#       them, and TALEPLAY_TEST_POSTGRES (DIR). Without --durable the server
#       does not wait for the disk: tests need no crash safety of it.
#   scratch_postgres.sh stop DIR       stops it; the cluster stays
#   scratch_postgres.sh restart DIR    starts it again on the same port
#   scratch_postgres.sh remove DIR     stops it and removes DIR
#
# Exit status 77, the reason on standard error, when no server can be had.
set -euo pipefail

command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || {
    echo "usage: scratch_postgres.sh start|stop|restart|remove DIR [--durable]" >&2
    exit 2
}

bin=
for candidate in /usr/lib/postgresql/*/bin; do
    [ -x "$candidate/initdb" ] && [ -x "$candidate/pg_ctl" ] && bin=$candidate
done
skip() {
    echo "scratch_postgres.sh: $*" >&2
    exit 77
}

# The server refuses to run as root: as root, its account runs it.
as_server() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

free_port() {
    /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# The cluster lives in a folder of its own, which the server's account can
# reach whatever DIR's parents allow; DIR keeps the caller's files and says
# where the cluster is.
cluster() {
    cat "$dir/cluster"
}

start_server() {
    as_server "$bin/pg_ctl" -D "$(cluster)/data" -l "$(cluster)/server.log" -w -t 30 -s \
        -o "-p $(cat "$dir/port") -c listen_addresses=127.0.0.1 -c unix_socket_directories=$(cluster)" \
        start
}

case $command in
start)
    [ -n "$bin" ] || skip "no PostgreSQL server binaries under /usr/lib/postgresql (Debian's postgresql package)"
    if [ "$(id -u)" -eq 0 ] && ! id postgres > /dev/null 2>&1; then
        skip "running as root, and there is no postgres account to run the server as"
    fi
    mkdir -p "$dir"
    home=$(mktemp -d "${TMPDIR:-/tmp}/taleplay-cluster-XXXXXX")
    echo "$home" > "$dir/cluster"
    chmod 700 "$home"
    [ "$(id -u)" -ne 0 ] || chown postgres "$home"
    pw() { head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n'; }
    admin=$(pw) pupil=$(pw) teacher=$(pw)
    printf '%s\n' "$admin" > "$home/admin.pw"
    [ "$(id -u)" -ne 0 ] || chown postgres "$home/admin.pw"
    as_server "$bin/initdb" -D "$home/data" -N -A scram-sha-256 --auth-local=trust \
        -U taleplay_admin --pwfile="$home/admin.pw" --no-locale -E UTF8 > "$dir/initdb.log" 2>&1 ||
        skip "initdb failed: $(tail -n 3 "$dir/initdb.log")"
    rm -f "$home/admin.pw"
    if [ "${3:-}" != "--durable" ]; then
        printf 'fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n' >> "$home/data/postgresql.conf"
    fi
    # A port another run takes between the look and the start: another one.
    started=
    for _ in 1 2 3 4 5; do
        free_port > "$dir/port"
        if start_server; then
            started=yes
            break
        fi
    done
    [ -n "$started" ] || skip "the server did not start: $(tail -n 3 "$home/server.log")"
    port=$(cat "$dir/port")
    as_server "$bin/createdb" -h "$home" -p "$port" -U taleplay_admin school
    # The client's files are the caller's, for it alone, as libpq asks.
    umask 077
    {
        echo "127.0.0.1:$port:*:taleplay_admin:$admin"
        echo "127.0.0.1:$port:*:taleplay_pupil:$pupil"
        echo "127.0.0.1:$port:*:taleplay_teacher:$teacher"
    } > "$dir/pgpass"
    {
        for role in admin pupil teacher; do
            printf '[school_%s]\nhost=127.0.0.1\nport=%s\ndbname=school\nuser=taleplay_%s\n' \
                "$role" "$port" "$role"
        done
    } > "$dir/services"
    {
        echo "export PGHOST=127.0.0.1 PGPORT=$port"
        echo "export PGPASSFILE='$dir/pgpass' PGSERVICEFILE='$dir/services'"
        echo "export TALEPLAY_TEST_ADMIN='postgresql://taleplay_admin@127.0.0.1:$port/school'"
        echo "export TALEPLAY_PUPIL_PASSWORD=$pupil TALEPLAY_TEACHER_PASSWORD=$teacher"
        echo "export TALEPLAY_TEST_POSTGRES='$dir'"
    } > "$dir/env"
    ;;
stop)
    as_server "$bin/pg_ctl" -D "$(cluster)/data" -w -t 30 -s -m fast stop
    ;;
restart)
    start_server
    ;;
remove)
    if [ -f "$dir/cluster" ]; then
        home=$(cluster)
        if [ -f "$home/data/postmaster.pid" ]; then
            as_server "$bin/pg_ctl" -D "$home/data" -w -t 30 -s -m immediate stop || true
        fi
        rm -rf "$home"
    fi
    rm -rf "$dir"
    ;;
*)
    echo "scratch_postgres.sh: unknown command $command" >&2
    exit 2
    ;;
esac
