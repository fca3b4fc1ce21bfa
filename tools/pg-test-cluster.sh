#!/usr/bin/env bash
# A throw-away PostgreSQL 15 cluster for the server's tests, load scripts and benchmark.
#
#   pg-test-cluster.sh start DIR   initialise and start a cluster; prints its connection URL
#   pg-test-cluster.sh stop DIR    stop it and remove everything it made
#   pg-test-cluster.sh down DIR    stop the database but keep its data (outage tests)
#   pg-test-cluster.sh up DIR      start it again after "down"
#
# DIR is the caller's state folder: DIR/url holds the connection URL, DIR/base the temporary folder with the
# data and the Unix socket (under $TMPDIR, short enough for a socket path and reachable by the cluster's
# owner wherever DIR is). PostgreSQL refuses to run as root, so as root the cluster belongs to the
# "postgres" system user the Debian package creates; any other user owns its cluster itself. The cluster
# listens on its Unix socket only, trusts local connections and has no durable writes unless
# NC_PG_DURABLE=1 (the benchmark wants real commits). A cluster left by a killed run is stopped and removed
# by the next "start" on the same DIR.
set -euo pipefail

bindir=${NC_PG_BINDIR:-/usr/lib/postgresql/15/bin}
cmd=${1:-}
dir=${2:-}
if [[ -z "$cmd" || -z "$dir" ]]; then
  echo "usage: $0 start|stop|down|up DIR" >&2
  exit 2
fi
[[ -x "$bindir/pg_ctl" ]] || { echo "pg-test-cluster: no PostgreSQL in $bindir (install postgresql)" >&2; exit 1; }

owner_run() {
  if [[ $(id -u) -eq 0 ]]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

# Stops whatever cluster DIR records and removes its folder; quiet when there is none.
cleanup() {
  local base
  [[ -f "$dir/base" ]] || { rm -f "$dir/url"; return 0; }
  base=$(<"$dir/base")
  # Only ever remove a folder this script made.
  if [[ "$base" != */nc-pg.* || ! -d "$base" ]]; then
    rm -f "$dir/base" "$dir/url"
    return 0
  fi
  if [[ -f "$base/data/postmaster.pid" ]]; then
    owner_run "$bindir/pg_ctl" -D "$base/data" -m immediate -w -t 20 stop >/dev/null 2>&1 || true
    local pid
    pid=$(head -n1 "$base/data/postmaster.pid" 2>/dev/null || true)
    if [[ "$pid" =~ ^[0-9]+$ ]] && [[ "$(cat /proc/"$pid"/comm 2>/dev/null)" == postgres* ]]; then
      kill -9 "$pid" 2>/dev/null || true
    fi
    # Its sockets and shared memory go with the last process: wait for it (a zombie counts as gone).
    for _ in $(seq 50); do
      [[ "$pid" =~ ^[0-9]+$ && -e /proc/$pid ]] || break
      [[ "$(awk '{print $3}' /proc/"$pid"/stat 2>/dev/null)" == Z ]] && break
      sleep 0.1
    done
  fi
  rm -rf -- "$base"
  rm -f "$dir/base" "$dir/url"
}

start_server() {
  local base=$1
  owner_run "$bindir/pg_ctl" -D "$base/data" -l "$base/server.log" -w -t 60 start >/dev/null ||
    { echo "pg-test-cluster: the server did not start; its log:" >&2; cat "$base/server.log" >&2; return 1; }
}

case "$cmd" in
start)
  mkdir -p "$dir"
  cleanup
  base=$(mktemp -d "${TMPDIR:-/tmp}/nc-pg.XXXXXX")
  echo "$base" >"$dir/base"    # recorded first, so a run killed from here on is still cleaned up
  chmod 755 "$base"
  mkdir -p "$base/run"
  if [[ $(id -u) -eq 0 ]]; then
    chown -R postgres:postgres "$base"
    user=postgres
  else
    user=$(id -un)
  fi
  owner_run "$bindir/initdb" -D "$base/data" -U nctest --auth=trust -E UTF8 --locale=C -N >"$base/initdb.log" 2>&1 ||
    { echo "pg-test-cluster: initdb failed as $user; its output:" >&2; cat "$base/initdb.log" >&2; exit 1; }
  {
    echo "listen_addresses = ''"
    echo "unix_socket_directories = '$base/run'"
    echo "port = 5432"
    echo "max_connections = 200"
    echo "shared_buffers = 32MB"
    if [[ "${NC_PG_DURABLE:-0}" != 1 ]]; then
      echo "fsync = off"
      echo "full_page_writes = off"
    fi
  } | owner_run tee -a "$base/data/postgresql.conf" >/dev/null
  start_server "$base"
  owner_run "$bindir/createdb" -h "$base/run" -U nctest ncserver
  url="postgresql:///ncserver?host=$base/run&user=nctest"
  echo "$url" >"$dir/url"
  echo "$url"
  ;;
stop)
  cleanup
  rmdir "$dir" 2>/dev/null || true
  ;;
down)
  base=$(<"$dir/base")
  owner_run "$bindir/pg_ctl" -D "$base/data" -m fast -w -t 30 stop >/dev/null
  ;;
up)
  base=$(<"$dir/base")
  start_server "$base"
  ;;
*)
  echo "usage: $0 start|stop|down|up DIR" >&2
  exit 2
  ;;
esac
