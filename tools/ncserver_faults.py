#!/usr/bin/env python3
"""Load and fault checks of ncserver as deployed: nginx (deploy/'s site) in front of two ncserver processes
on one PostgreSQL, all on loopback, bounded in count and time. Exit status 0 when every check held.

  exact   nctool upload (the program's own bytes) through nginx: code 0 with the stored number, the stored
          fields equal to what was sent, Chinese included
  load    CLIENTS clients x UPLOADS uploads at once, twice: one server stopped (SIGTERM) half-way, then one
          killed (SIGKILL) half-way: no acknowledged report lost, none stored twice, one report per account
          while several clients race for it
  slow    a client sending its headers one byte per second is cut off, by ncserver and by nginx
  dbdown  the database stopped: uploads fail, the servers stay up, and serve again once it is back
"""

import argparse
import os
import re
import select
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
from collections import Counter, defaultdict

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ncserver_rig as rig  # noqa: E402

REPORT_TEXT = ("ping 10.1.2.3\r\n正在 Ping 10.1.2.3 具有 32 字节的数据:\r\n"
               "来自 10.1.2.3 的回复: 字节=32 时间=31ms TTL=52\r\n"
               "来自 10.1.2.3 的回复: 字节=32 时间=35ms TTL=52\r\n")


def form(user, description="网络卡顿 load"):
    return {"UserName": user, "QuestionType": "1", "ServerName": "电信一区", "NetType": "电信",
            "Description": description, "CheckContent": "@@@".join(REPORT_TEXT.split("\n"))}


class Checks:
    def __init__(self):
        self.failed = []

    def expect(self, ok, what):
        print(("  ok    " if ok else "  FAIL  ") + what, flush=True)
        if not ok:
            self.failed.append(what)


def scenario_exact(r, args, checks, url):
    port = r.start_nginx([p for _, p, _ in r.servers])
    work = tempfile.mkdtemp(dir=r.dir)
    report = os.path.join(work, "report.txt")
    with open(report, "wb") as f:
        f.write(REPORT_TEXT.encode("gbk"))
    sent = {"user": "玩家甲", "desc": "晚上卡顿，掉线 & 重连 100%", "server": "电信一区", "nettype": "联通"}
    out = subprocess.run([args.nctool, "upload", "--ip", "127.0.0.1", "--port", str(port), "--domain", "localhost",
                          "--page", "/report", "--limit-ms", "20000", "--user", sent["user"], "--question", "2",
                          "--server", sent["server"], "--nettype", sent["nettype"], "--desc", sent["desc"], report],
                         cwd=work, capture_output=True, timeout=60)
    line = out.stdout.decode("utf-8", "replace").splitlines()[:1]
    print(f"  nctool: {line}")
    ret = int(line[0].split("ret=")[1]) if line and line[0].startswith("code=0 ret=") else 0
    checks.expect(ret > 0, "nctool upload through nginx answers code 0 with a report number")
    rows = r.sql(url, "SELECT user_name, question_type, server_name, net_type, description,"
                      f" encode(convert_to(check_content, 'UTF8'), 'hex') FROM reports WHERE id = {ret}")
    stored = rows[0] if rows else [""] * 6
    # The program joins the lines with "@@@" and its form encoding sends every white-space byte (the
    # carriage returns included) as "+", which reads back as a space.
    joined = re.sub(r"[\t\n\v\f\r]", " ", "@@@".join(REPORT_TEXT.split("\n")))
    checks.expect(stored[:5] == [sent["user"], "2", sent["server"], sent["nettype"], sent["desc"]],
                  f"stored fields equal the sent ones (got {stored[:5]})")
    checks.expect(bytes.fromhex(stored[5]).decode("utf-8", "replace") == joined,
                  "stored CheckContent equals the report text, lines joined by @@@")

    # A player who writes the address headers himself gets them replaced by nginx: the page shows the
    # address nginx saw (here loopback), not the planted one.
    with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
        s.sendall(b"GET /ip2city.asp HTTP/1.1\r\nHost: x\r\nX-Real-IP: 6.6.6.6\r\n"
                  b"X-Forwarded-For: 6.6.6.6\r\nConnection: close\r\n\r\n")
        page = rig.read_all(s).decode("utf-8", "replace")
    checks.expect("[127.0.0.1]" in page and "6.6.6.6" not in page,
                  f"address headers sent by the player are not believed through nginx ({page.splitlines()[-1:]})")


def load_round(r, args, checks, url, port, prefix, sig):
    """CLIENTS x UPLOADS uploads through nginx; server "a" gets SIG half-way (None: no signal)."""
    total = args.clients * args.uploads
    results = []            # (account, status, ret)
    lock = threading.Lock()
    done = [0]
    signalled = threading.Event()
    race = threading.Barrier(args.clients)

    def client(c):
        for u in range(args.uploads):
            # Every fifth round all clients leave the barrier together and report the same account.
            if u % 5 == 0:
                try:
                    race.wait(args.time_limit)
                except threading.BrokenBarrierError:
                    pass
            account = f"{prefix}shared-{u}" if u % 5 == 0 else f"{prefix}c{c}-u{u}"
            status, ret = rig.upload(port, form(account))
            with lock:
                results.append((account, status, ret))
                done[0] += 1
                if sig and not signalled.is_set() and done[0] >= total // 2:
                    signalled.set()
                    threading.Thread(target=r.kill_server, args=("a", sig)).start()

    started = time.monotonic()
    threads = [threading.Thread(target=client, args=(c,)) for c in range(args.clients)]
    for t in threads:
        t.start()
    for t in threads:
        t.join(args.time_limit)
    elapsed = time.monotonic() - started
    checks.expect(all(not t.is_alive() for t in threads), f"{total} uploads finished within {args.time_limit} s")

    acked = [(a, ret) for a, _, ret in results if ret is not None and ret > 0]
    refused = [a for a, _, ret in results if ret == -3]
    failed = [(a, s, ret) for a, s, ret in results if ret is None or ret not in (-3,) and ret <= 0]
    stored = {int(i): u for i, u in r.sql(url, f"SELECT id, user_name FROM reports WHERE user_name LIKE '{prefix}%'")}
    per_account = Counter(stored.values())
    what = {None: "", signal.SIGTERM: " (one server stopped half-way)", signal.SIGKILL: " (one server killed half-way)"}
    print(f"  {len(results)} uploads in {elapsed:.1f} s: {len(acked)} acknowledged, {len(refused)} refused (-3), "
          f"{len(failed)} failed{what[sig]}; {len(stored)} rows stored", flush=True)
    checks.expect(len(set(ret for _, ret in acked)) == len(acked), "no report number acknowledged twice")
    lost = [(a, ret) for a, ret in acked if stored.get(ret) != a]
    checks.expect(not lost, f"every acknowledged report is stored under its number (lost: {lost[:5]})")
    dup = [a for a, n in per_account.items() if n > 1]
    checks.expect(not dup, f"no account stored twice (duplicated: {dup[:5]})")
    acks_per_shared = defaultdict(int)
    for a, _ in acked:
        if "shared-" in a:
            acks_per_shared[a] += 1
    shared = {a for a, _, _ in results if "shared-" in a}
    checks.expect(all(acks_per_shared[a] <= 1 and per_account[a] == 1 for a in shared),
                  f"each of the {len(shared)} raced accounts stored once and acknowledged at most once")
    checks.expect(all(per_account[a] == 1 for a in refused), "every -3 names an account that has its report")
    # A stop lets the requests it accepted finish, but connections still waiting in its listen queue are
    # reset when it closes the socket (nginx does not resend a report it already sent): at most one burst.
    # A kill loses whatever the killed process held.
    budget = {None: 0, signal.SIGTERM: args.clients, signal.SIGKILL: 2 * args.clients}[sig]
    checks.expect(len(failed) <= budget, f"failed uploads ({len(failed)}) within {budget}")


def scenario_load(r, args, checks, url):
    port = r.nginx_port or r.start_nginx([p for _, p, _ in r.servers])
    if not args.kill:
        load_round(r, args, checks, url, port, "load-", None)
        return
    load_round(r, args, checks, url, port, "term-", signal.SIGTERM)
    r.restart_server("a")
    load_round(r, args, checks, url, port, "kill-", signal.SIGKILL)
    r.restart_server("a")


def cut_off_after(port, limit):
    """Seconds until the peer closed a connection fed one header byte per second; None if it never did."""
    request = b"POST /report  HTTP/1.1\nHOST: slow.test\nX-Padding: " + b"a" * 4000
    started = time.monotonic()
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
            for i in range(len(request)):
                if time.monotonic() - started > limit:
                    return None
                s.sendall(request[i:i + 1])
                readable, _, _ = select.select([s], [], [], 1.0)
                if readable and not s.recv(4096):
                    return time.monotonic() - started
                # A reply (408) counts too: the next recv sees the close.
    except OSError:
        return time.monotonic() - started
    return None


def scenario_slow(r, args, checks, url):
    port = r.nginx_port or r.start_nginx([p for _, p, _ in r.servers])
    targets = {"ncserver": r.servers[-1][1], "nginx": port}
    outcome = {}
    threads = [threading.Thread(target=lambda k=k, p=p: outcome.__setitem__(k, cut_off_after(p, args.slow_limit)))
               for k, p in targets.items()]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    bounds = {"ncserver": args.request_timeout + 3, "nginx": args.slow_limit}
    for k in targets:
        t = outcome.get(k)
        checks.expect(t is not None and t <= bounds[k], f"a one-byte-per-second client is cut off by {k}"
                                     f" ({'after %.0f s' % t if t is not None else 'not within %d s' % args.slow_limit})")


def scenario_dbdown(r, args, checks, url):
    name, port, proc = r.servers[-1]
    r.cluster("down")
    status, ret = rig.upload(port, form("dbdown-1"), timeout=60)
    checks.expect(ret is None or ret <= 0, f"with the database stopped an upload fails (HTTP {status}, ret={ret})")
    health, _ = rig.http_get(port, "/healthz")
    print(f"  /healthz with the database stopped: HTTP {health}")
    checks.expect(proc.poll() is None, "the server stays up while the database is stopped")
    r.cluster("up")
    started = time.monotonic()
    got = []
    recovered = rig.wait_until(lambda: got.append(rig.upload(port, form(f"dbdown-{len(got) + 2}"))) or
                               (got[-1][1] or 0) > 0, 30, 0.2)
    checks.expect(recovered, f"uploads are stored again {time.monotonic() - started:.1f} s after the database is back")
    checks.expect(rig.http_get(port, "/healthz")[0] == 200, "/healthz is 200 again")


SCENARIOS = {"exact": scenario_exact, "load": scenario_load, "slow": scenario_slow, "dbdown": scenario_dbdown}


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--ncserver", required=True)
    p.add_argument("--nctool", help="needed by 'exact'")
    p.add_argument("--only", default="exact,load,slow,dbdown", help="comma-separated scenarios, in order")
    p.add_argument("--clients", type=int, default=50)
    p.add_argument("--uploads", type=int, default=40)
    p.add_argument("--no-kill", dest="kill", action="store_false", help="one round, no server stopped")
    p.add_argument("--time-limit", type=int, default=300, help="seconds the load may take")
    p.add_argument("--request-timeout", type=int, default=5, help="the servers' RequestTimeoutSec")
    p.add_argument("--slow-limit", type=int, default=60, help="seconds a slow client may stay connected")
    p.add_argument("--keep", action="store_true", help="keep the rig's folder (logs) afterwards")
    args = p.parse_args()
    if args.nctool:
        args.nctool = os.path.abspath(args.nctool)
    names = [n for n in args.only.split(",") if n]
    if any(n not in SCENARIOS for n in names) or ("exact" in names and not args.nctool):
        p.error("unknown scenario, or 'exact' without --nctool")

    checks = Checks()
    r = rig.Rig(os.path.abspath(args.ncserver), keep=args.keep)
    try:
        url = r.start_cluster()
        # As deploy/README.md sets them up, with a shorter read deadline so the slow client ends sooner.
        ini = os.path.join(r.dir, "ncserver.ini")
        with open(ini, "w") as f:
            f.write(f"[ncserver]\nTrustedProxies = 127.0.0.1\nRequestTimeoutSec = {args.request_timeout}\n")
        r.start_server("a", url, ["--config", ini])
        r.start_server("b", url, ["--config", ini])
        for n in names:
            print(f"== {n}", flush=True)
            SCENARIOS[n](r, args, checks, url)
    except Exception as e:   # a rig that cannot start is a failure, reported like the others
        checks.expect(False, f"rig: {e}")
    finally:
        if checks.failed:
            print(f"rig folder: {r.dir}" + ("" if args.keep else " (removed; --keep keeps it)"))
        r.close()
    print("all checks held" if not checks.failed else f"{len(checks.failed)} check(s) failed")
    return 0 if not checks.failed else 1


if __name__ == "__main__":
    sys.exit(main())
