#!/usr/bin/python3
"""FTP servers on 127.0.0.1 for the FTP client's tests and benchmark.

  ftpserver.py start DIR   starts the servers in the background and returns when they
                           listen; DIR/ports.txt then holds name=port lines
  ftpserver.py stop DIR    stops them
  ftpserver.py serve DIR   the servers themselves (what start runs)

Servers: "ftp" (pyftpdlib, user norvask/s3cret, home DIR/home with a read-only folder
"readonly", a folder "locked" that cannot be entered and a folder "nodelete" where
files can be stored but not deleted), "slow", "trickle", "isdn" and "dialup" (the
same, each at the far end of a slow line of its own: see LINES), "banner" (the same, greeting with a multi-line reply), "proxy" (a scripted FTP proxy for the USER/SITE/OPEN log-on kinds that records
the client's commands in DIR/proxy-commands.txt and relays to "ftp"), "drop" (closes the
connection at the first command after log-on), "silent" (stops answering after log-on),
"mute" (greets, then never answers), "stalldata" (answers the log-on and folder commands,
then stops reading the data connection of an upload after STALL_BYTES bytes while its
control connection still answers ABOR and QUIT; a shorter upload is received whole, and
after it the session answers nothing more), "blackhole"
(never accepts a connection: its queue is full), "http" and "httpauth" (tinyproxy, the
second with Basic authorisation), "lostreply" and "hung" (answer as "stalldata" does, but
take an upload whole and then answer nothing more: "lostreply" closes the data connection,
as when its 226 is lost; "hung" keeps it open). "mute", "stalldata", "lostreply" and "hung"
append what they got to DIR/<name>.txt: the commands ("unanswered ..." once the session
has gone quiet), and
"stalled after N bytes" once an upload stalls or "received N bytes" once one is whole.

The slow lines are the kernel's: each slow server listens on a loopback address of its
own, and a token bucket (tc) on the loopback device carries what is sent to that
address at the line's rate, behind a queue of the line's depth, while the server
reads at full speed. That is done only in the network namespace that tools/line-namespace.sh
makes for the test run (as root), never on the machine's own loopback.
DIR/lines.txt says "shaped", or "unshaped" and why, then a name=address line for each
slow server.
"""
import os
import random
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time

USER, PASSWORD = "norvask", "s3cret"
PROXY_USER, PROXY_PASSWORD = "puser", "ppass"
HTTP_USER, HTTP_PASSWORD = "huser", "hpass"
# The slow lines: the server's address, the bytes of data a second that the line
# carries towards it, and how much its queue holds. A modem's queue is deep: it
# holds what a sender's buffers put in flight, so the line loses nothing. On
# Linux that is several times the buffer asked for: 170 KB for 16 KB. A shallower
# queue drops what does not fit, and on a line this slow, where the queue itself
# makes the round trip seconds long, TCP's retransmission time-out then holds the
# line still for ten seconds and more.
LINES = {
    "slow": ("127.0.0.11", 2 * 1024 * 1024, 512 * 1024),
    "trickle": ("127.0.0.12", 256 * 1024, 64 * 1024),  # a few MB take several seconds
    "isdn": ("127.0.0.13", 8 * 1024, 256 * 1024),
    "dialup": ("127.0.0.14", 4 * 1024, 256 * 1024),  # a 33.6k modem
}
LINE_MTU = 1500
LINE_MSS = LINE_MTU - 52  # the data of a full packet, less its IP and TCP headers with time stamps
LINK_HEADER = 14  # what the loopback device adds to each packet on its wire
PASSIVE_PORT_COUNT = 40
STALL_BYTES = 256 * 1024
STALL_SECONDS = 300  # a stalled session lets go after this, whatever the client does


def listening_socket(host="127.0.0.1"):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((host, 0))
    s.listen(16)
    return s


def free_port():
    s = listening_socket()
    port = s.getsockname()[1]
    s.close()
    return port


def free_port_range(count):
    for _ in range(50):
        base = random.randint(20000, 60000 - count)
        try:
            held = []
            for port in range(base, base + count):
                s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
                held.append(s)
                s.bind(("127.0.0.1", port))
            return list(range(base, base + count))
        except OSError:
            pass
        finally:
            for s in held:
                s.close()
    raise RuntimeError("no free passive port range")


# ---- pyftpdlib servers ----

def make_ftp_server(state, sock, passive_ports, greeting=None):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer

    home = os.path.join(state, "home")
    authorizer = DummyAuthorizer()
    authorizer.add_user(USER, PASSWORD, home, perm="elradfmwMT")
    authorizer.override_perm(USER, os.path.join(home, "readonly"), perm="elr", recursive=True)
    authorizer.override_perm(USER, os.path.join(home, "locked"), perm="l", recursive=True)
    authorizer.override_perm(USER, os.path.join(home, "nodelete"), perm="elrawMT", recursive=True)

    class Handler(FTPHandler):
        def handle(self):
            if greeting is None:
                return super().handle()
            # Middle lines that begin with the code and a hyphen, as real servers send.
            self.on_connect()
            self.push("".join("220-%s\r\n" % line for line in greeting[:-1]))
            self.respond("220 " + greeting[-1])

    Handler.authorizer = authorizer
    Handler.passive_ports = passive_ports
    Handler.permit_foreign_addresses = True
    Handler.banner = "norvask test server ready."
    Handler.auth_failed_timeout = 0.1
    return FTPServer(sock, Handler)


# ---- the slow lines ----

def in_the_runs_namespace():
    """Why the lines cannot be made here, or None in the network namespace that
    tools/line-namespace.sh made for the run (it names that namespace, or says why
    it made none)."""
    made = os.environ.get("NORVASK_LINE_NETNS")
    if made is None:
        why = os.environ.get("NORVASK_NO_LINE_NETNS", "the tests were not started by tools/test.sh")
        return "no network namespace of the run's own (%s)" % why
    if os.readlink("/proc/self/ns/net") != made:
        return "the servers run outside the run's network namespace"
    return None


def tc(*args):
    result = subprocess.run(["tc"] + [str(a) for a in args], capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError("tc %s: %s" % (" ".join(map(str, args)), result.stderr.strip()))


def shape_lines():
    """Puts each slow line on this namespace's loopback; returns why not, or None.
    Unclassified traffic leaves the root class unshaped; each line's class hands
    what goes to its address to a token bucket, which also cuts the loopback's
    large segments down to the line's packets."""
    outside = in_the_runs_namespace()
    if outside is not None:
        return outside
    try:
        subprocess.run(["tc", "qdisc", "del", "dev", "lo", "root"], capture_output=True)
        tc("qdisc", "add", "dev", "lo", "root", "handle", "1:", "htb", "default", "0")
        for number, (host, rate, queue) in enumerate(LINES.values(), start=1):
            on_the_wire = rate * (LINE_MTU + LINK_HEADER) // LINE_MSS
            tc("class", "add", "dev", "lo", "parent", "1:", "classid", "1:%d" % number,
               "htb", "rate", "10gbit", "quantum", 60000)
            tc("qdisc", "add", "dev", "lo", "parent", "1:%d" % number, "handle", "%d:" % (10 + number),
               "tbf", "rate", "%dbps" % on_the_wire, "burst", max(2 * (LINE_MTU + LINK_HEADER), rate // 50),
               "limit", queue)
            tc("filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", 1,
               "u32", "match", "ip", "dst", host + "/32", "flowid", "1:%d" % number)
    except (OSError, RuntimeError) as error:
        return "the slow lines could not be made: %s" % error
    return None


# ---- small scripted servers ----

class LineConnection:
    def __init__(self, sock):
        self.sock = sock
        self.file = sock.makefile("rb")

    def send(self, line):
        self.sock.sendall((line + "\r\n").encode("latin-1"))

    def read_line(self):
        line = self.file.readline(8192)
        if not line:
            return None
        return line.decode("latin-1").rstrip("\r\n")

    def close(self):
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()


def serve_in_threads(sock, session):
    def accept_loop():
        while True:
            conn, _ = sock.accept()
            threading.Thread(target=session, args=(LineConnection(conn),), daemon=True).start()
    threading.Thread(target=accept_loop, daemon=True).start()


def answer_log_on(conn):
    """Greets and accepts any log-on; returns the first other command (None on close)."""
    conn.send("220 scripted server ready.")
    while True:
        line = conn.read_line()
        if line is None:
            return None
        verb = line.split(" ", 1)[0].upper()
        if verb == "USER":
            # "nopass" is an account that needs no password.
            conn.send("230 Logged in." if line == "USER nopass" else "331 Password required.")
        elif verb == "PASS":
            conn.send("230 Logged in.")
        elif verb == "TYPE":
            conn.send("200 Type set.")
        elif verb == "QUIT":
            conn.send("221 Bye.")
            return None
        else:
            return line


def dropping_session(conn):
    answer_log_on(conn)
    conn.close()


def silent_session(conn):
    if answer_log_on(conn) is not None:
        while conn.read_line() is not None:
            pass
    conn.close()


def recorder(state, name):
    def record(line):
        with open(os.path.join(state, name + ".txt"), "a") as f:
            f.write(line + "\n")
    return record


def mute_session(conn, record):
    conn.send("220 mute server ready.")
    deadline = time.time() + STALL_SECONDS
    while time.time() < deadline:
        line = conn.read_line()
        if line is None:
            break
        record(line)
    conn.close()


def stall_upload(data_listener, record, conn, whole, mode):
    data_listener.settimeout(30)
    data, _ = data_listener.accept()
    data_listener.close()
    limit = STALL_BYTES if mode == "stalldata" else None
    received = 0
    while limit is None or received < limit:
        chunk = data.recv(65536 if limit is None else min(65536, limit - received))
        if not chunk:
            # The file arrived whole, and the session goes quiet after it.
            if mode != "hung":
                data.close()
            whole.append(received)
            record("received %d bytes" % received)
            if mode == "stalldata":
                conn.send("226 Transfer complete.")
            return data if mode == "hung" else None
        received += len(chunk)
    record("stalled after %d bytes" % received)
    return data  # read no more: the client's buffers fill and its sends wait


def stalling_data_session(conn, record, mode):
    """The control connection goes on answering while the upload stalls; once an
    upload has arrived whole, it answers nothing more. Only "stalldata" stalls,
    and it still answers the upload that arrived whole (a short one)."""
    line = answer_log_on(conn)
    data_listener = None
    stalled = []
    whole = []
    while line is not None:
        record("unanswered " + line if whole else line)
        verb = line.split(" ", 1)[0].upper()
        if whole:
            pass
        elif verb in ("CWD", "MKD"):
            conn.send("250 Done.")
        elif verb == "PASV":
            data_listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            data_listener.bind(("127.0.0.1", 0))
            data_listener.listen(1)
            port = data_listener.getsockname()[1]
            conn.send("227 Entering Passive Mode (127,0,0,1,%d,%d)." % (port >> 8, port & 0xFF))
        elif verb == "STOR" and data_listener is not None:
            conn.send("150 Ready for the data.")
            listener, data_listener = data_listener, None
            threading.Thread(target=lambda: stalled.append(stall_upload(listener, record, conn, whole, mode)),
                             daemon=True).start()
        elif verb == "ABOR":
            conn.send("426 Transfer aborted.")
            conn.send("226 Abort done.")
        elif verb == "QUIT":
            conn.send("221 Bye.")
            break
        else:
            conn.send("502 Not here.")
        conn.sock.settimeout(STALL_SECONDS)
        try:
            line = conn.read_line()
        except OSError:
            break
    for data in stalled:
        if data is not None:
            data.close()
    conn.close()


def black_hole():
    """A listening socket whose queue is full: connects to it wait for an answer
    that never comes."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.bind(("127.0.0.1", 0))
    sock.listen(0)
    fillers = []
    for _ in range(2):
        filler = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        filler.setblocking(False)
        filler.connect_ex(sock.getsockname())
        fillers.append(filler)
    return sock, fillers


class ProxySession:
    """One client of the scripted proxy: proxy log-on, then a relay to the server."""

    def __init__(self, conn, state, upstream_port):
        self.conn = conn
        self.record_path = os.path.join(state, "proxy-commands.txt")
        self.upstream_port = upstream_port
        self.upstream = None
        self.proxy_logged_on = False
        self.strip_proxy_password = False
        with open(self.record_path, "w"):
            pass

    def record(self, line):
        with open(self.record_path, "a") as f:
            f.write(line + "\n")

    def connect_upstream(self, target):
        host, _, port = target.partition(":")
        sock = socket.create_connection((host, int(port) if port else self.upstream_port), timeout=10)
        sock.settimeout(None)
        self.upstream = LineConnection(sock)
        while True:  # the server's greeting stays with the proxy
            line = self.upstream.read_line()
            if line is None or line.startswith("220 "):
                break
        threading.Thread(target=self.pump_replies, daemon=True).start()

    def pump_replies(self):
        try:
            while True:
                data = self.upstream.sock.recv(65536)
                if not data:
                    break
                self.conn.sock.sendall(data)
        except OSError:
            pass
        self.conn.close()

    def before_upstream(self, verb, arg):
        if verb == "USER" and arg.count("@") >= 2:
            parts = arg.split("@")
            if parts[-2] != PROXY_USER:
                return self.conn.send("530 Proxy user refused.")
            self.strip_proxy_password = True
            self.connect_upstream(parts[-1])
            self.upstream.send("USER " + "@".join(parts[:-2]))
        elif verb == "USER" and "@" in arg:
            user, target = arg.rsplit("@", 1)
            self.connect_upstream(target)
            self.upstream.send("USER " + user)
        elif verb == "USER":
            self.conn.send("331 Proxy password required." if arg == PROXY_USER else "530 Proxy user refused.")
        elif verb == "PASS":
            self.proxy_logged_on = arg == PROXY_PASSWORD
            self.conn.send("230 Proxy log-on done." if self.proxy_logged_on else "530 Proxy log-on refused.")
        elif verb in ("SITE", "OPEN"):
            self.connect_upstream(arg)
            self.conn.send("220 Connected to " + arg + ".")
        elif verb == "QUIT":
            self.conn.send("221 Bye.")
            return False
        else:
            self.conn.send("530 Not connected to a server.")
        return True

    def run(self):
        self.conn.send("220 scripted FTP proxy ready.")
        try:
            while True:
                line = self.conn.read_line()
                if line is None:
                    break
                self.record(line)
                verb, _, arg = line.partition(" ")
                verb = verb.upper()
                if self.upstream is None:
                    if self.before_upstream(verb, arg) is False:
                        break
                    continue
                if verb == "PASS" and self.strip_proxy_password:
                    self.strip_proxy_password = False
                    password, _, proxy_password = arg.rpartition("@")
                    if proxy_password != PROXY_PASSWORD:
                        self.conn.send("530 Proxy password refused.")
                        continue
                    line = "PASS " + password
                self.upstream.send(line)
        except OSError:
            pass
        if self.upstream is not None:
            self.upstream.close()
        self.conn.close()


# ---- tinyproxy ----

def start_tinyproxy(state, name, port, connect_ports, auth):
    conf = os.path.join(state, name + ".conf")
    lines = ["Port %d" % port, "Listen 127.0.0.1", "Timeout 600", "Allow 127.0.0.1", "MaxClients 100",
             "LogLevel Info", "LogFile \"%s\"" % os.path.join(state, name + ".log")]
    lines += ["ConnectPort %d" % p for p in connect_ports]
    if auth:
        lines.append("BasicAuth %s %s" % (HTTP_USER, HTTP_PASSWORD))
    with open(conf, "w") as f:
        f.write("\n".join(lines) + "\n")
    return subprocess.Popen(["/usr/bin/tinyproxy", "-d", "-c", conf],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wait_for_port(port, deadline):
    while time.time() < deadline:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return True
        except OSError:
            time.sleep(0.05)
    return False


def serve(state):
    from pyftpdlib.ioloop import IOLoop
    import logging
    logging.basicConfig(filename=os.path.join(state, "ftpserver.log"), level=logging.WARNING)

    passive = free_port_range(PASSIVE_PORT_COUNT)
    ports = {}
    servers = [("ftp", "127.0.0.1", None), ("banner", "127.0.0.1", ("a", "b", "c"))]
    servers += [(name, host, None) for name, (host, _, _) in LINES.items()]
    for name, host, greeting in servers:
        sock = listening_socket(host)
        ports[name] = sock.getsockname()[1]
        make_ftp_server(state, sock, passive, greeting)
    unshaped = shape_lines()
    with open(os.path.join(state, "lines.txt"), "w") as f:
        f.write("shaped\n" if unshaped is None else "unshaped: %s\n" % unshaped)
        f.write("".join("%s=%s\n" % (name, host) for name, (host, _, _) in LINES.items()))
    ftp_port = ports["ftp"]
    for name, session in (("drop", dropping_session), ("silent", silent_session),
                          ("proxy", lambda c: ProxySession(c, state, ftp_port).run()),
                          ("mute", lambda c: mute_session(c, recorder(state, "mute"))),
                          ("stalldata", lambda c: stalling_data_session(c, recorder(state, "stalldata"), "stalldata")),
                          ("lostreply", lambda c: stalling_data_session(c, recorder(state, "lostreply"), "lostreply")),
                          ("hung", lambda c: stalling_data_session(c, recorder(state, "hung"), "hung"))):
        sock = listening_socket()
        ports[name] = sock.getsockname()[1]
        serve_in_threads(sock, session)
    hole, hole_fillers = black_hole()
    ports["blackhole"] = hole.getsockname()[1]

    children = []
    for name, auth in (("http", False), ("httpauth", True)):
        ports[name] = free_port()
        children.append(start_tinyproxy(state, name, ports[name], [ftp_port] + passive, auth))

    def stop(*_):
        for child in children:
            child.terminate()
        for child in children:
            child.wait(5)
        os._exit(0)
    signal.signal(signal.SIGTERM, stop)

    deadline = time.time() + 10
    if not all(wait_for_port(ports[n], deadline) for n in ("http", "httpauth")):
        stop()
    with open(os.path.join(state, "ports.tmp"), "w") as f:
        f.write("".join("%s=%d\n" % item for item in ports.items()))
    os.replace(os.path.join(state, "ports.tmp"), os.path.join(state, "ports.txt"))
    IOLoop.instance().loop()


def start(state):
    stop(state)
    shutil.rmtree(state, ignore_errors=True)
    home = os.path.join(state, "home")
    for folder in ("readonly", "locked", "nodelete", "local"):
        os.makedirs(os.path.join(home if folder != "local" else state, folder), exist_ok=True)
    with open(os.path.join(home, "readonly", "kept.txt"), "w") as f:
        f.write("kept\n")
    log = open(os.path.join(state, "serve.out"), "w")
    child = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", state],
                             stdout=log, stderr=log, stdin=subprocess.DEVNULL, start_new_session=True)
    with open(os.path.join(state, "pid"), "w") as f:
        f.write(str(child.pid))
    deadline = time.time() + 15
    while time.time() < deadline:
        if os.path.exists(os.path.join(state, "ports.txt")):
            return 0
        if child.poll() is not None:
            break
        time.sleep(0.05)
    print("ftpserver: servers did not start; see", os.path.join(state, "serve.out"), file=sys.stderr)
    stop(state)
    return 1


def stop(state):
    pid_file = os.path.join(state, "pid")
    if not os.path.exists(pid_file):
        return 0
    with open(pid_file) as f:
        pid = int(f.read())
    os.remove(pid_file)
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return 0
    for _ in range(100):
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            return 0
        time.sleep(0.05)
    os.kill(pid, signal.SIGKILL)
    return 0


if __name__ == "__main__":
    action, state = sys.argv[1], os.path.abspath(sys.argv[2])
    if action == "serve":
        serve(state)
    else:
        sys.exit({"start": start, "stop": stop}[action](state))
