#!/usr/bin/env python3
"""Drives Debian's headless chromium through the support site like a support agent would: sign-in, the
report list, a filter, a report, the analytics, on a laptop and on a phone; checks what each page shows and
saves screenshots.

  tools/site_browser_check.py --ncserver build/server/ncserver [--shots DIR] [--chromium /usr/bin/chromium]

The browser is driven over its remote-debugging protocol (a WebSocket on loopback, spoken here with the
standard library only). ncserver runs on a fresh SQLite file filled by tools/site_fill.py plus one report
uploaded with the program's exact bytes. Exit status 0 when every check held.
"""

import argparse
import base64
import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ncserver_rig as rig  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


class DevTools:
    """One page of a browser over the remote-debugging WebSocket: send a command, wait for its answer."""

    def __init__(self, ws_url):
        rest = ws_url[len("ws://"):]
        hostport, path = rest.split("/", 1)
        host, port = hostport.split(":")
        self.sock = socket.create_connection((host, int(port)), timeout=30)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /{path} HTTP/1.1\r\nHost: {hostport}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n")
                          .encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.sock.recv(1)
            if not chunk:
                raise RuntimeError("devtools closed during the handshake")
            head += chunk
        if b" 101 " not in head.split(b"\r\n")[0]:
            raise RuntimeError("devtools refused the WebSocket: " + head.decode(errors="replace"))
        self.next_id = 0
        self.buffer = b""

    def _recv_exact(self, n):
        while len(self.buffer) < n:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise RuntimeError("devtools closed the connection")
            self.buffer += chunk
        data, self.buffer = self.buffer[:n], self.buffer[n:]
        return data

    def _send(self, text):
        payload = text.encode()
        mask = os.urandom(4)
        n = len(payload)
        head = bytes([0x81])
        if n < 126:
            head += bytes([0x80 | n])
        elif n < 65536:
            head += bytes([0x80 | 126]) + struct.pack(">H", n)
        else:
            head += bytes([0x80 | 127]) + struct.pack(">Q", n)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(head + mask + masked)

    def _recv_message(self):
        message = b""
        while True:
            b0, b1 = self._recv_exact(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack(">H", self._recv_exact(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self._recv_exact(8))[0]
            data = self._recv_exact(n)
            opcode = b0 & 0x0F
            if opcode == 0x8:
                raise RuntimeError("devtools closed the WebSocket")
            if opcode in (0x9, 0xA):
                continue
            message += data
            if b0 & 0x80:
                return json.loads(message.decode())

    def call(self, method, **params):
        self.next_id += 1
        my_id = self.next_id
        self._send(json.dumps({"id": my_id, "method": method, "params": params}))
        while True:
            msg = self._recv_message()
            if msg.get("id") == my_id:
                if "error" in msg:
                    raise RuntimeError(f"{method}: {msg['error']}")
                return msg.get("result", {})

    def js(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"script failed: {expression}: {result['exceptionDetails']}")
        return result.get("result", {}).get("value")

    def wait_for(self, expression, seconds=20):
        end = time.time() + seconds
        while time.time() < end:
            try:
                if self.js(expression):
                    return True
            except RuntimeError:
                pass   # the page is between documents
            time.sleep(0.1)
        raise RuntimeError(f"timed out waiting for: {expression}")

    def goto(self, url, ready_check):
        self.call("Page.navigate", url=url)
        self.wait_for(f"document.readyState === 'complete' && ({ready_check})")

    def shot(self, path):
        data = self.call("Page.captureScreenshot", format="png", captureBeyondViewport=False)["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, ok, what):
        print(("ok      " if ok else "FAILED  ") + what)
        if not ok:
            self.failures.append(what)


def ping_report():
    lines = ["网络质量: 较差", "网络延迟: 较差", "丢包率: 一般", "ping 10.1.2.3",
             "PING 10.1.2.3 (10.1.2.3) 56(84) bytes of data."]
    lines += [f"64 bytes from 10.1.2.3: icmp_seq={i + 1} ttl=52 time={t} ms" for i, t in enumerate([180, 240, 205])]
    lines += ["", "--- 10.1.2.3 ping statistics ---",
              "4 packets transmitted, 3 received, 25% packet loss, time 3004ms",
              "rtt min/avg/max/mdev = 180.000/208.333/240.000/24.6 ms"]
    return "@@@".join(lines) + "@@@"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--ncserver", required=True)
    ap.add_argument("--shots", default=None, help="folder for the screenshots (default: a temporary one)")
    ap.add_argument("--chromium", default=shutil.which("chromium") or "/usr/bin/chromium")
    args = ap.parse_args()

    r = rig.Rig(args.ncserver)
    browser = None
    profile = tempfile.mkdtemp(prefix="ncsite-chromium.")
    checks = Checks()
    try:
        shots = args.shots or os.path.join(r.dir, "shots")
        os.makedirs(shots, exist_ok=True)
        db_path = os.path.join(r.dir, "site.db")
        db = "sqlite:" + db_path
        subprocess.run([args.ncserver, "migrate", "--db", db], check=True, stdout=subprocess.DEVNULL)
        subprocess.run([sys.executable, os.path.join(HERE, "site_fill.py"), "--db", db, "--reports", "3000",
                        "--days", "3"], check=True)
        subprocess.run([args.ncserver, "staff", "add", "agent", "--db", db], input="browser-pass\n", text=True,
                       check=True, stdout=subprocess.DEVNULL)
        port = r.start_server("site", db)
        # A dump of the account that uploads below, as the crash handler would name it.
        with open(os.path.join(r.dir, "site", "dumps", "2026-12-4_14-5-9_QVRTNetcheck_x32_wangwei_1.0.2__.dmp"),
                  "wb") as f:
            f.write(b"MDMP" + bytes(2000))
        status, ret = rig.upload(port, {"UserName": "wangwei", "QuestionType": "卡顿", "ServerName": "S3",
                                        "NetType": "移动", "CheckContent": ping_report(),
                                        "Description": "<script>alert('晚上八点后一直卡')</script> 晚上八点后一直卡"})
        checks.expect(status == 200 and ret and ret > 0, f"the program's upload is stored (ret={ret})")
        base = f"http://127.0.0.1:{port}"

        browser = subprocess.Popen([args.chromium, "--headless=new", "--no-sandbox", "--disable-gpu",
                                    "--no-first-run", "--disable-extensions", "--hide-scrollbars",
                                    f"--user-data-dir={profile}", "--remote-debugging-port=0",
                                    "--window-size=1280,900", "about:blank"],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(profile, "DevToolsActivePort")
        if not rig.wait_until(lambda: os.path.exists(port_file) and open(port_file).read().strip(), 30):
            raise RuntimeError("chromium did not open its debugging port")
        debug_port = int(open(port_file).read().split()[0])
        pages = json.load(urllib.request.urlopen(f"http://127.0.0.1:{debug_port}/json/list", timeout=10))
        page = next(p for p in pages if p.get("type") == "page")
        dt = DevTools(page["webSocketDebuggerUrl"])
        dt.call("Page.enable")
        dt.call("Emulation.setDeviceMetricsOverride", width=1280, height=900, deviceScaleFactor=1, mobile=False)

        # Without a session the site sends the browser to the sign-in page.
        dt.goto(base + "/support/reports", "location.pathname === '/support/login'")
        checks.expect(True, "a page without a session leads to the sign-in page")
        dt.js("document.querySelector('input[name=name]').value = 'agent'; 0")
        dt.js("document.querySelector('input[name=password]').value = 'wrong-pass'; 0")
        dt.shot(os.path.join(shots, "site-signin.png"))
        dt.js("document.querySelector('form[action=\"/support/login\"]').submit(); 0")
        dt.wait_for("document.readyState === 'complete' && document.body.innerText.includes('Wrong name or password')")
        checks.expect(True, "a wrong password is refused")
        dt.js("document.querySelector('input[name=name]').value = 'agent'; 0")
        dt.js("document.querySelector('input[name=password]').value = 'browser-pass'; 0")
        dt.js("document.querySelector('form[action=\"/support/login\"]').submit(); 0")
        dt.wait_for("location.pathname === '/support/reports' && document.readyState === 'complete'")
        rows = dt.js("document.querySelectorAll('table.list tbody tr').length")
        checks.expect(rows == 50, f"the list shows a page of 50 reports ({rows})")
        first = dt.js("document.querySelector('table.list tbody tr td:nth-child(3)').innerText")
        checks.expect(first == "wangwei", f"the newest report comes first ({first})")
        checks.expect(dt.js("document.cookie") == "", "the session cookie is not visible to scripts")
        dt.shot(os.path.join(shots, "site-reports.png"))

        # Filter by server and carrier through the form.
        dt.js("document.querySelector('input[name=server]').value = 'S3'; 0")
        dt.js("document.querySelector('input[name=carrier]').value = '移动'; 0")
        dt.js("document.querySelector('form.filters').submit(); 0")
        dt.wait_for("location.search.includes('server=S3') && document.readyState === 'complete'")
        servers = dt.js("[...document.querySelectorAll('table.list tbody tr td:nth-child(4)')].map(e => e.innerText)")
        carriers = dt.js("[...document.querySelectorAll('table.list tbody tr td:nth-child(6)')].map(e => e.innerText)")
        checks.expect(len(servers) > 10 and set(servers) == {"S3"} and set(carriers) == {"移动"},
                      f"the filter keeps S3 on 移动 only ({len(servers)} rows)")

        # The uploaded report: hostile description shown as text, check content as lines, figures.
        dt.js("document.querySelector('table.list tbody tr td a').click(); 0")
        dt.wait_for("location.pathname.startsWith('/support/reports/') && document.readyState === 'complete'")
        text = dt.js("document.body.innerText")
        checks.expect("<script>alert('晚上八点后一直卡')</script>" in text and
                      dt.js("document.querySelectorAll('main script').length") == 0,
                      "the hostile description is shown as text, not run")
        checks.expect("64 bytes from 10.1.2.3: icmp_seq=2 ttl=52 time=240 ms\n" in
                      dt.js("document.querySelector('pre.content').innerText"), "the check content is shown as lines")
        figures = dt.js("[...document.querySelectorAll('table.list tbody tr')[0].cells].map(c => c.innerText)")
        checks.expect(figures[:5] == ["10.1.2.3", "25", "208", "180", "240"], f"the per-target figures ({figures})")
        checks.expect("2026-12-4_14-5-9_QVRTNetcheck_x32_wangwei_1.0.2__.dmp" in text, "the account's dump is linked")
        dt.shot(os.path.join(shots, "site-report.png"))

        dt.goto(base + "/support/analytics", "!!document.querySelector('svg.plot')")
        worst = dt.js("[...document.querySelectorAll('table.list')[0].rows[1].cells].map(c => c.innerText)")
        checks.expect(worst[:2] == ["S3", "移动"], f"the worst pair is S3 on 移动 ({worst[:2]})")
        bars = dt.js("document.querySelectorAll('svg.plot rect.all').length")
        checks.expect(bars >= 60, f"the reports plot has a bar per busy hour ({bars})")
        dt.shot(os.path.join(shots, "site-analytics.png"))

        # A phone: nothing wider than the screen except inside the scrolling tables.
        dt.call("Emulation.setDeviceMetricsOverride", width=390, height=844, deviceScaleFactor=2, mobile=True)
        dt.goto(base + "/support/reports", "document.querySelectorAll('table.list tbody tr').length > 0")
        wide = dt.js("document.documentElement.scrollWidth")
        checks.expect(wide <= 390, f"the list fits a phone's width ({wide}px)")
        dt.shot(os.path.join(shots, "site-phone-reports.png"))
        dt.goto(base + "/support/analytics", "!!document.querySelector('svg.plot')")
        wide = dt.js("document.documentElement.scrollWidth")
        checks.expect(wide <= 390, f"the analytics fit a phone's width ({wide}px)")
        dt.shot(os.path.join(shots, "site-phone-analytics.png"))

        # Sign-out ends the session.
        dt.call("Emulation.setDeviceMetricsOverride", width=1280, height=900, deviceScaleFactor=1, mobile=False)
        dt.js("document.querySelector('form.signout').submit(); 0")
        dt.wait_for("location.pathname === '/support/login' && document.readyState === 'complete'")
        dt.goto(base + "/support/analytics", "location.pathname === '/support/login'")
        checks.expect(True, "after sign-out the analytics need a new sign-in")
        print(f"screenshots in {shots}")
    except Exception as e:  # noqa: BLE001 - every failure is reported the same way
        checks.expect(False, f"{type(e).__name__}: {e}")
    finally:
        if browser:
            browser.terminate()
            try:
                browser.wait(10)
            except subprocess.TimeoutExpired:
                browser.kill()
                browser.wait()
        shutil.rmtree(profile, ignore_errors=True)
        if checks.failures:
            r.keep = True
            print(f"kept {r.dir}")
        r.close()
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
