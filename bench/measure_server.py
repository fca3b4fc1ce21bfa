#!/usr/bin/env python3
"""Accepted reports per second and latency percentiles of one ncserver process, on SQLite and on PostgreSQL.

  bench/measure_server.py --ncserver build/server/ncserver [--clients 8] [--seconds 10] [--backend sqlite,postgresql]

Each client sends the program's exact request (a typical four-target report of about 3 KB) with an account
of its own each time, over a new connection as the program does, straight to the server on loopback. Only
replies with a report number count as accepted; latency is from connect to the server's close. PostgreSQL
runs in a throw-away cluster with durable commits (fsync on), SQLite in a file in a temporary folder, so
both pay for a real commit per report.
"""

import argparse
import os
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tools"))
import ncserver_rig as rig  # noqa: E402


def report_text():
    lines = []
    for target in ("10.1.2.3", "10.1.2.4", "game.example.com", "8.8.8.8"):
        lines += [f"ping {target}", f"正在 Ping {target} 具有 32 字节的数据:"]
        lines += [f"来自 {target} 的回复: 字节=32 时间={20 + i}ms TTL=52" for i in range(4)]
        lines += [f"{target} 的 Ping 统计信息:", "    数据包: 已发送 = 4，已接收 = 4，丢失 = 0 (0% 丢失)，",
                  "往返行程的估计时间(以毫秒为单位):", "    最短 = 20ms，最长 = 23ms，平均 = 21ms"]
    return "@@@".join(lines) + "@@@"


def run(port, clients, seconds, tag):
    text = report_text()
    latencies, failures = [], [0]
    lock = threading.Lock()
    deadline = time.monotonic() + seconds

    def client(c):
        n = 0
        mine = []
        while time.monotonic() < deadline:
            fields = {"UserName": f"{tag}-{c}-{n}", "QuestionType": "1", "ServerName": "电信一区",
                      "NetType": "电信", "Description": "bench", "CheckContent": text}
            n += 1
            t0 = time.perf_counter()
            _, ret = rig.upload(port, fields)
            dt = time.perf_counter() - t0
            if ret is not None and ret > 0:
                mine.append(dt)
            else:
                with lock:
                    failures[0] += 1
        with lock:
            latencies.extend(mine)

    started = time.monotonic()
    threads = [threading.Thread(target=client, args=(c,)) for c in range(clients)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    elapsed = time.monotonic() - started
    latencies.sort()

    def pct(p):
        return latencies[min(len(latencies) - 1, int(p * len(latencies)))] * 1000 if latencies else float("nan")

    return len(latencies) / elapsed, pct(0.50), pct(0.99), failures[0]


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--ncserver", required=True)
    p.add_argument("--clients", type=int, default=8)
    p.add_argument("--seconds", type=float, default=10)
    p.add_argument("--backend", default="sqlite,postgresql")
    args = p.parse_args()

    print(f"{'backend':<11} {'clients':>7} {'accepted/s':>10} {'p50 ms':>8} {'p99 ms':>8} {'failed':>6}")
    status = 0
    for backend in args.backend.split(","):
        r = rig.Rig(os.path.abspath(args.ncserver))
        try:
            db = f"sqlite:{r.dir}/bench.db" if backend == "sqlite" else r.start_cluster(durable=True)
            port = r.start_server("bench", db)
            run(port, args.clients, 1, "warm")
            rate, p50, p99, failed = run(port, args.clients, args.seconds, "run")
            print(f"{backend:<11} {args.clients:>7} {rate:>10.0f} {p50:>8.1f} {p99:>8.1f} {failed:>6}", flush=True)
            status |= failed != 0
        finally:
            r.close()
    return status


if __name__ == "__main__":
    sys.exit(main())
