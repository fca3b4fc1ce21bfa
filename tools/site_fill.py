#!/usr/bin/env python3
"""Fills an ncserver database with made-up reports for the support site's benchmark and browser test.

  tools/site_fill.py --db sqlite:PATH | postgresql://... --reports N [--end UNIX] [--days D]

The schema must be there already (ncserver migrate). Rows are made by the database itself from one
INSERT ... SELECT over a number series, so a million reports take seconds, not an hour of uploads. Every
report has two targets ("game" and "gateway"); verdicts, latency and loss depend on server and carrier,
so the analytics have something to find: server S3 on carrier 移动 fares worst.
"""

import argparse
import sqlite3
import subprocess
import sys
import time

SERVERS = ["S1", "S2", "S3", "S4", "S5", "S6"]
CARRIERS = ["电信", "联通", "移动", "教育网", "其他"]
GROUPS = ["掉线", "卡顿", "延迟高", "其他"]


def pick(column_expr, values):
    whens = " ".join(f"WHEN {i} THEN '{v}'" for i, v in enumerate(values))
    return f"CASE ({column_expr}) % {len(values)} {whens} END"


def report_sql(series, n, start, span):
    # h: a well-mixed number per row; bad: the chance of a bad verdict, in percent, per server and carrier.
    h = "((i * 2654435761) % 1000003)"
    srv = f"({h} / 7)"
    car = f"({h} / 11)"
    bad = (f"(5 + CASE WHEN {srv} % 6 = 2 THEN 20 ELSE 0 END + CASE WHEN {car} % 5 = 2 THEN 15 ELSE 0 END"
           f" + CASE WHEN {srv} % 6 = 2 AND {car} % 5 = 2 THEN 30 ELSE 0 END)")
    verdict = f"CASE WHEN ({h} % 100) < {bad} THEN 2 WHEN ({h} % 100) < {bad} + 20 THEN 1 ELSE 0 END"
    return (
        "INSERT INTO reports (user_name, question_type, server_name, net_type, description, check_content,"
        " client_addr, received_at, verdict) "
        f"SELECT 'player' || ({h} % 20000), {pick(f'{h} / 13', GROUPS)}, {pick(srv, SERVERS)}, {pick(car, CARRIERS)},"
        f" '第 ' || i || ' 号报告：游戏里经常卡顿 lag in town', "
        f" '网络质量: ' || CASE {verdict} WHEN 2 THEN '较差' WHEN 1 THEN '一般' ELSE '良好' END"
        f" || '@@@ping game@@@Reply from 10.0.0.1: bytes=32 time=' || (20 + {h} % 50) || 'ms TTL=52@@@',"
        f" '10.' || ({h} % 250) || '.' || (i % 250) || '.' || ({h} % 199 + 1),"
        f" {start} + (i * {span}) / {n}, {verdict} FROM {series}")


def figures_sql(min_id):
    h = "((r.id * 2654435761) % 1000003)"
    slow = "CASE WHEN r.verdict = 2 THEN 120 WHEN r.verdict = 1 THEN 50 ELSE 0 END"
    lossy = "CASE WHEN r.verdict = 2 THEN 8 + " + h + " % 30 ELSE " + h + " % 2 END"
    return [
        "INSERT INTO report_figures (report_id, seq, target, loss_pct, avg_ms, min_ms, max_ms, jitter_ms, replies) "
        f"SELECT r.id, 0, 'game', {lossy}, 25 + {h} % 60 + {slow}, 20 + {h} % 60 + {slow}, 40 + {h} % 90 + {slow},"
        f" ({h} % 200) / 10.0, 4 FROM reports r WHERE r.id > {min_id}",
        "INSERT INTO report_figures (report_id, seq, target, loss_pct, avg_ms, min_ms, max_ms, jitter_ms, replies) "
        f"SELECT r.id, 1, 'gateway', 0, 1 + {h} % 5, 1, 2 + {h} % 6, ({h} % 30) / 10.0, 4"
        f" FROM reports r WHERE r.id > {min_id}",
    ]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--db", required=True)
    ap.add_argument("--reports", type=int, required=True)
    ap.add_argument("--end", type=int, default=int(time.time()))
    ap.add_argument("--days", type=float, default=365)
    args = ap.parse_args()
    n = args.reports
    span = int(args.days * 86400)
    start = args.end - span
    if args.db.startswith("sqlite:"):
        db = sqlite3.connect(args.db[len("sqlite:"):])
        db.execute("PRAGMA synchronous=OFF")
        min_id = db.execute("SELECT COALESCE(MAX(id), 0) FROM reports").fetchone()[0]
        series = f"(WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < {n}) SELECT i FROM s)"
        with db:
            db.execute(report_sql(series, n, start, span))
            for q in figures_sql(min_id):
                db.execute(q)
        db.execute("ANALYZE")
        db.close()
    elif args.db.startswith(("postgresql://", "postgres://")):
        series = f"generate_series(1::bigint, {n}) AS i"
        script = ("BEGIN;\nCREATE TEMP TABLE fill_mark AS SELECT COALESCE(MAX(id), 0) AS m FROM reports;\n"
                  + report_sql(series, n, start, span) + ";\n")
        for q in figures_sql("(SELECT m FROM fill_mark)"):
            script += q + ";\n"
        script += "COMMIT;\nANALYZE reports;\nANALYZE report_figures;\n"
        subprocess.run(["psql", args.db, "-X", "-q", "-v", "ON_ERROR_STOP=1"], input=script, text=True, check=True)
    else:
        sys.exit("site_fill: --db sqlite:PATH or postgresql://...")


if __name__ == "__main__":
    main()
