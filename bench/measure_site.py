#!/usr/bin/env python3
"""Time of the support site's pages over a large report table, on SQLite and on PostgreSQL.

  bench/measure_site.py --ncserver build/server/ncserver [--reports 1000000] [--days 365] [--repeat 15]
                        [--backend sqlite,postgresql]

The reports (two targets each, spread over --days days up to now: 365 is a year of ordinary traffic, 31
puts every report inside the largest analytics window) are made by tools/site_fill.py inside the
database, not uploaded; `ncserver rollup rebuild` then counts the analytics rollup (which the first
analytics page would otherwise do) and is timed. Each page is fetched --repeat times after one warm-up
fetch, over a new loopback connection each time, signed in; the median and the slowest fetch are printed
in milliseconds.
Not part of the test command: filling a million rows takes minutes.
"""

import argparse
import http.client
import os
import re
import statistics
import subprocess
import sys
import time
import urllib.parse

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import ncserver_rig as rig  # noqa: E402

PAGES = [
    ("list, newest", "/support/reports"),
    ("list, page 20", "/support/reports?page=20"),
    ("list, server + carrier", "/support/reports?server=S3&carrier=" + urllib.parse.quote("移动")),
    ("list, account", "/support/reports?account=player123"),
    ("list, bad verdicts, one week", "/support/reports?verdict=2&from={week_ago}&to={today}"),
    ("list, description text", "/support/reports?q=" + urllib.parse.quote("第 77777 号")),
    ("report detail", "/support/reports/500000"),
    ("analytics, 7 days", "/support/analytics"),
    ("analytics, 31 days", "/support/analytics?from={month_ago}&to={today}"),
]


def request(port, method, path, body=None, cookie=""):
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
    headers = {"Cookie": cookie} if cookie else {}
    if body is not None:
        headers["Content-Type"] = "application/x-www-form-urlencoded"
    conn.request(method, path, body=body, headers=headers)
    resp = conn.getresponse()
    data = resp.read()
    cookies = [v for k, v in resp.getheaders() if k.lower() == "set-cookie"]
    conn.close()
    return resp.status, data, cookies


def sign_in(port):
    status, page, cookies = request(port, "GET", "/support/login")
    token = re.search(rb'name="csrf" value="([0-9a-f]+)"', page).group(1).decode()
    jar = "; ".join(c.split(";")[0] for c in cookies)
    status, _, cookies = request(port, "POST", "/support/login",
                                 f"csrf={token}&name=bench&password=bench-password", jar)
    if status != 303:
        raise RuntimeError(f"sign-in failed: {status}")
    return next(c.split(";")[0] for c in cookies if c.startswith("nc_session="))


def measure(port, cookie, repeat):
    day = 86400
    today = time.strftime("%Y-%m-%d", time.gmtime())
    values = {"today": today, "week_ago": time.strftime("%Y-%m-%d", time.gmtime(time.time() - 6 * day)),
              "month_ago": time.strftime("%Y-%m-%d", time.gmtime(time.time() - 30 * day))}
    results = []
    for name, path in PAGES:
        path = path.format(**values)
        status, body, _ = request(port, "GET", path, cookie=cookie)
        if status != 200:
            raise RuntimeError(f"{path}: status {status}")
        times = []
        for _ in range(repeat):
            t0 = time.perf_counter()
            request(port, "GET", path, cookie=cookie)
            times.append((time.perf_counter() - t0) * 1000)
        results.append((name, statistics.median(times), max(times), len(body)))
    return results


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--ncserver", required=True)
    ap.add_argument("--reports", type=int, default=1000000)
    ap.add_argument("--days", type=float, default=365)
    ap.add_argument("--repeat", type=int, default=15)
    ap.add_argument("--backend", default="sqlite,postgresql")
    args = ap.parse_args()
    r = rig.Rig(os.path.abspath(args.ncserver))
    try:
        for backend in args.backend.split(","):
            db = ("sqlite:" + os.path.join(r.dir, "bench.db")) if backend == "sqlite" else r.start_cluster()
            subprocess.run([r.ncserver, "migrate", "--db", db], check=True, stdout=subprocess.DEVNULL)
            t0 = time.time()
            subprocess.run([sys.executable, os.path.join(ROOT, "tools", "site_fill.py"), "--db", db,
                            "--reports", str(args.reports), "--days", str(args.days)], check=True)
            fill = time.time() - t0
            t0 = time.time()
            subprocess.run([r.ncserver, "rollup", "rebuild", "--db", db], check=True, stdout=subprocess.DEVNULL)
            rebuild = time.time() - t0
            subprocess.run([r.ncserver, "staff", "add", "bench", "--db", db], input="bench-password\n", text=True,
                           check=True, stdout=subprocess.DEVNULL)
            port = r.start_server(backend, db)
            cookie = sign_in(port)
            print(f"\n{backend}: {args.reports} reports over {args.days:g} days filled in {fill:.0f} s, rollup "
                  f"rebuilt in {rebuild:.0f} s; ms per page (median / slowest of {args.repeat})")
            for name, median, worst, size in measure(port, cookie, args.repeat):
                print(f"  {name:32s} {median:8.1f} {worst:8.1f}   ({size // 1024} KiB)")
            sys.stdout.flush()
    finally:
        r.close()


if __name__ == "__main__":
    main()
