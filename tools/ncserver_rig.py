"""The pieces the server's load, fault and benchmark scripts put together on loopback: a throw-away
PostgreSQL cluster, ncserver processes, nginx with the deploy/ site, and a client that sends a report with
the program's exact bytes. Every process is started in a temporary folder and killed by close()."""

import functools
import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import urllib.parse

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CLUSTER_SCRIPT = os.path.join(ROOT, "tools", "pg-test-cluster.sh")
NGINX_SITE = os.path.join(ROOT, "deploy", "nginx", "ncserver.conf")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(predicate, seconds, step=0.05):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


def http_get(port, path, timeout=5.0):
    """(status, body) of a plain GET; (0, b"") when nothing answered."""
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
            s.sendall(f"GET {path} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n".encode())
            data = read_all(s)
    except OSError:
        return 0, b""
    return parse_status(data), data.split(b"\r\n\r\n", 1)[-1]


def read_all(sock):
    chunks = []
    while True:
        chunk = sock.recv(65536)
        if not chunk:
            return b"".join(chunks)
        chunks.append(chunk)


def parse_status(data):
    m = re.match(rb"HTTP/1\.[01] (\d{3})", data)
    return int(m.group(1)) if m else 0


_ENCODED = [chr(b) if chr(b).isascii() and chr(b).isalnum() else "+" if b == 0x20 or 0x09 <= b <= 0x0D
            else "%%%02X" % b for b in range(256)]


@functools.lru_cache(maxsize=256)
def url_encode(raw):
    """The program's encoding: letters and digits kept, white space to '+', every other byte %XX. Cached:
    the load and the benchmark send the same report text many times, and the client must not be what
    limits the rate."""
    return "".join(_ENCODED[b] for b in raw)


def report_request(fields, page="/report", host="netcheck.test"):
    """The request bytes the program sends for a dict of UTF-8 form fields (CheckContent already joined)."""
    order = ["UserName", "QuestionType", "ServerName", "NetType", "Description", "CheckContent"]
    body = "&".join(f"{k}={url_encode(fields.get(k, '').encode('utf-8'))}" for k in order).encode()
    head = (f"POST {page}  HTTP/1.1\nHOST: {host}\nPragma: no-cache\n"
            f"Content-Type: application/x-www-form-urlencoded\nContent-Length: {len(body)}\n"
            f"Connection: Close\n\n").encode()
    return head + body


def upload(port, fields, timeout=30.0):
    """Sends one report; (status, ret) where ret is the number in {ret=N} or None (no reply, no braces)."""
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
            s.sendall(report_request(fields))
            data = read_all(s)
    except OSError:
        return 0, None
    m = re.search(rb"\{ret=(-?\d+)\}", data)
    return parse_status(data), (int(m.group(1)) if m else None)


class Rig:
    """Owns every process and folder it starts; close() ends them all."""

    def __init__(self, ncserver, keep=False):
        self.ncserver = ncserver
        self.dir = tempfile.mkdtemp(prefix="ncrig.")
        self.keep = keep
        self.cluster_dir = None
        self.servers = []   # (name, port, Popen)
        self.server_args = {}
        self.nginx = None
        self.nginx_port = None

    # PostgreSQL -------------------------------------------------------------------------------------
    def start_cluster(self, durable=False):
        self.cluster_dir = os.path.join(self.dir, "pg")
        env = dict(os.environ, NC_PG_DURABLE="1" if durable else "0")
        subprocess.run([CLUSTER_SCRIPT, "start", self.cluster_dir], check=True, env=env,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(self.cluster_dir, "url")) as f:
            return f.read().strip()

    def cluster(self, command):
        subprocess.run([CLUSTER_SCRIPT, command, self.cluster_dir], check=True, stdout=subprocess.DEVNULL)

    def sql(self, url, query):
        out = subprocess.run(["psql", url, "-X", "-At", "-F", "\t", "-c", query], check=True,
                             capture_output=True, text=True)
        return [line.split("\t") for line in out.stdout.splitlines() if line]

    # ncserver ---------------------------------------------------------------------------------------
    def start_server(self, name, db, extra=(), port=None):
        """Starts ncserver NAME (again, on its old port, when PORT is given) and waits for /healthz."""
        port = port or free_port()
        work = os.path.join(self.dir, name)
        os.makedirs(os.path.join(work, "dumps"), exist_ok=True)
        os.makedirs(os.path.join(work, "catalogues"), exist_ok=True)
        log = open(os.path.join(self.dir, name + ".log"), "ab")
        proc = subprocess.Popen([self.ncserver, "--listen", f"127.0.0.1:{port}", "--db", db,
                                 "--dumps", os.path.join(work, "dumps"),
                                 "--catalogues", os.path.join(work, "catalogues"), *extra],
                                cwd=work, stdout=log, stderr=subprocess.STDOUT)
        log.close()
        self.servers = [e for e in self.servers if e[0] != name] + [(name, port, proc)]
        self.server_args[name] = (db, tuple(extra))
        if not wait_until(lambda: proc.poll() is not None or http_get(port, "/healthz", 1)[0] == 200, 20):
            raise RuntimeError(f"{name} did not answer /healthz; see {self.dir}/{name}.log")
        if proc.poll() is not None:
            raise RuntimeError(f"{name} exited with {proc.returncode}; see {self.dir}/{name}.log")
        return port

    def restart_server(self, name):
        port = next(p for n, p, _ in self.servers if n == name)
        db, extra = self.server_args[name]
        # The old process's port may linger a moment after it died.
        if not wait_until(lambda: self._port_free(port), 10):
            raise RuntimeError(f"port {port} of {name} stays taken")
        return self.start_server(name, db, extra, port)

    @staticmethod
    def _port_free(port):
        with socket.socket() as s:
            s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            try:
                s.bind(("127.0.0.1", port))
                return True
            except OSError:
                return False

    def server_log(self, name):
        with open(os.path.join(self.dir, name + ".log"), "rb") as f:
            return f.read().decode("utf-8", "replace")

    # nginx ------------------------------------------------------------------------------------------
    def start_nginx(self, upstream_ports):
        """nginx with deploy/'s site, its listen line and upstream servers replaced by the rig's."""
        with open(NGINX_SITE) as f:
            site = f.read()
        self.nginx_port = free_port()
        servers = "".join(f"    server 127.0.0.1:{p} max_fails=3 fail_timeout=10s;\n" for p in upstream_ports)
        site, n = re.subn(r"(upstream ncserver \{\n(?:\s*#.*\n)*)(?:\s*server 127\.0\.0\.1:\d+[^\n]*\n)+",
                          lambda m: m.group(1) + servers, site)
        site, k = re.subn(r"listen 80;", f"listen 127.0.0.1:{self.nginx_port};", site)
        if n != 1 or k != 1:
            raise RuntimeError("deploy/nginx/ncserver.conf no longer has the upstream/listen lines the rig replaces")
        d = os.path.join(self.dir, "nginx")
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, "site.conf"), "w") as f:
            f.write(site)
        temp = "".join(f"  {k}_temp_path {d}/{k};\n" for k in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
        with open(os.path.join(d, "nginx.conf"), "w") as f:
            f.write(f"daemon off;\nmaster_process off;\npid {d}/nginx.pid;\nerror_log {d}/error.log;\n"
                    f"events {{ worker_connections 1024; }}\n"
                    f"http {{\n  access_log {d}/access.log;\n{temp}  include {d}/site.conf;\n}}\n")
        self.nginx = subprocess.Popen(["/usr/sbin/nginx", "-p", d + "/", "-c", d + "/nginx.conf", "-e",
                                       d + "/error.log"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_until(lambda: self.nginx.poll() is not None or http_get(self.nginx_port, "/healthz", 1)[0],
                          10) or self.nginx.poll() is not None:
            raise RuntimeError(f"nginx did not start; see {d}/error.log")
        return self.nginx_port

    # ------------------------------------------------------------------------------------------------
    def kill_server(self, name, sig=signal.SIGKILL):
        for entry in self.servers:
            if entry[0] == name:
                entry[2].send_signal(sig)
                entry[2].wait(60)

    def close(self):
        for _, _, proc in self.servers:
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(15)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        if self.nginx and self.nginx.poll() is None:
            self.nginx.kill()
            self.nginx.wait()
        if self.cluster_dir:
            subprocess.run([CLUSTER_SCRIPT, "stop", self.cluster_dir], stdout=subprocess.DEVNULL)
        if not self.keep:
            shutil.rmtree(self.dir, ignore_errors=True)
