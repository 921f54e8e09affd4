#!/usr/bin/python3
"""The station-list server as tests and the run command use it: exact bytes with their length, 404
pages, HEAD, kept-alive connections, the base URL's port and path, a prompt end on SIGTERM that frees
the port; and the files it serves by default: the station list and the version file."""

import http.client
import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import unittest

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SERVER = os.path.join(SOURCE_DIR, "server", "station-server")
WWW = os.path.join(SOURCE_DIR, "server", "www")

FILES = {
    "radiolist07.pzt": "(Pop) One,http://a.example/1\r\n(Jazz) Zwei Ü,http://b.example/2,x\r\n".encode(),
    "lastlite.pzt": b"1.08.4\r\n",
    "lastlite.bak": bytes(range(256)) * 300,
    "empty.txt": b"",
    "with space.txt": b"spaced",
    "sub/inner.pzt": b"inside\r\n",
}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Server:
    """One station-server process; the base URL comes from its "ready" line."""

    def __init__(self, root, *args, env=None):
        full_env = dict(os.environ)
        full_env.pop("TUNDREL_SERVER_URL", None)
        full_env.update(env or {})
        self.process = subprocess.Popen(
            [SERVER, "--root", root, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
            text=True, env=full_env)
        self.ready = self.process.stdout.readline()
        found = re.match(r"station-server ready http://127\.0\.0\.1:(\d+)(/\S*) ", self.ready)
        self.port = int(found.group(1)) if found else None
        self.prefix = found.group(2) if found else None

    def stop(self):
        """Ends the server; its exit code. Its error output is kept in self.errors."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        code = self.process.wait(timeout=10)
        self.errors = self.process.stderr.read()
        self.process.stdout.close()
        self.process.stderr.close()
        return code

    def get(self, path, method="GET"):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        connection.request(method, path)
        response = connection.getresponse()
        body = response.read()
        connection.close()
        return response, body


class StationServer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="station-server-")
        for name, data in FILES.items():
            os.makedirs(os.path.dirname(os.path.join(cls.root, name)), exist_ok=True)
            with open(os.path.join(cls.root, name), "wb") as f:
                f.write(data)
        outside = os.path.join(os.path.dirname(cls.root), os.path.basename(cls.root) + "-secret")
        with open(outside, "wb") as f:
            f.write(b"secret")
        cls.outside = outside
        cls.server = Server(cls.root, "--port", "0")
        assert cls.server.port, cls.server.ready

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        shutil.rmtree(cls.root)
        os.remove(cls.outside)

    def test_files_come_with_their_exact_bytes_and_length(self):
        for name, data in FILES.items():
            with self.subTest(name=name):
                response, body = self.server.get("/" + name.replace(" ", "%20"))
                self.assertEqual(response.status, 200)
                self.assertEqual(body, data)
                self.assertEqual(response.getheader("Content-Length"), str(len(data)))

    def test_what_is_not_a_file_inside_the_root_is_404(self):
        secret = "/../" + os.path.basename(self.outside)
        for path in ["/missing.pzt", "/", "/sub", "/sub/", secret, "/%2e%2e" + secret[3:], "/sub/../lastlite.pzt",
                     "/%ff%fe.pzt", "/sub//inner.pzt", "/lastlite.pzt%00"]:
            with self.subTest(path=path):
                response, body = self.server.get(path)
                self.assertEqual(response.status, 404)
                self.assertEqual(response.getheader("Content-Length"), str(len(body)))
                self.assertIn(b"404 Not Found", body)
                self.assertNotIn(b"secret", body)

    def test_query_text_is_ignored(self):
        response, body = self.server.get("/lastlite.pzt?nocache=1")
        self.assertEqual((response.status, body), (200, b"1.08.4\r\n"))

    def test_head_gives_the_length_without_a_body(self):
        response, body = self.server.get("/lastlite.bak", method="HEAD")
        self.assertEqual(response.status, 200)
        self.assertEqual(response.getheader("Content-Length"), str(len(FILES["lastlite.bak"])))
        self.assertEqual(body, b"")

    def test_one_connection_carries_several_requests(self):
        connection = http.client.HTTPConnection("127.0.0.1", self.server.port, timeout=10)
        try:
            first_socket = None
            for name, status in [("lastlite.pzt", 200), ("missing", 404), ("radiolist07.pzt", 200),
                                 ("lastlite.bak", 200)]:
                with self.subTest(name=name):
                    connection.request("GET", "/" + name)
                    response = connection.getresponse()
                    body = response.read()
                    self.assertEqual((response.version, response.status), (11, status))
                    if status == 200:
                        self.assertEqual(body, FILES[name])
                    first_socket = first_socket or connection.sock
                    self.assertIs(connection.sock, first_socket)
        finally:
            connection.close()


class Lifecycle(unittest.TestCase):
    def test_sigterm_ends_it_at_once_and_frees_the_port(self):
        first = Server(WWW, "--port", "0")
        self.assertIsNotNone(first.port, first.ready)
        # A request that the server closes first, so that its side lingers in TIME_WAIT: without
        # SO_REUSEADDR the next server could not take the port for a minute.
        with socket.create_connection(("127.0.0.1", first.port), timeout=10) as client:
            client.sendall(b"GET /lastlite.pzt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
            answer = b""
            while chunk := client.recv(4096):
                answer += chunk
        self.assertTrue(answer.startswith(b"HTTP/1.1 200 "))
        self.assertTrue(answer.endswith(b"\r\n\r\n1.08.3\r\n"))
        started = time.monotonic()
        self.assertEqual(first.stop(), 0)
        self.assertLess(time.monotonic() - started, 5)
        second = Server(WWW, "--port", str(first.port))
        try:
            self.assertEqual(second.port, first.port, second.ready)
            self.assertEqual(second.get("/lastlite.pzt")[0].status, 200)
        finally:
            second.stop()

    def test_a_taken_port_is_an_error_not_a_ready_line(self):
        with socket.socket() as holder:
            holder.bind(("127.0.0.1", 0))
            holder.listen()
            server = Server(WWW, "--port", str(holder.getsockname()[1]))
            self.assertEqual(server.ready, "")
            self.assertEqual(server.stop(), 1)
            self.assertIn("cannot listen", server.errors)

    def test_a_missing_root_is_an_error(self):
        server = Server(os.path.join(WWW, "no-such-folder"), "--port", "0")
        self.assertEqual(server.ready, "")
        self.assertEqual(server.stop(), 2)

    def test_the_base_url_gives_port_and_path(self):
        port = free_port()
        cases = [  # base URL, path that serves the version file, path that does not
            ("http://127.0.0.1:%d/" % port, "/lastlite.pzt", "/radio/lastlite.pzt"),
            ("http://127.0.0.1:%d/radio/" % port, "/radio/lastlite.pzt", "/lastlite.pzt"),
            ("http://127.0.0.1:%d/radio" % port, "/radio/lastlite.pzt", "/lastlite.pzt"),
        ]
        for url, served, missing in cases:
            with self.subTest(url=url):
                server = Server(WWW, env={"TUNDREL_SERVER_URL": url})
                try:
                    self.assertEqual(server.port, port, server.ready)
                    self.assertEqual(server.get(served)[0].status, 200)
                    self.assertEqual(server.get(missing)[0].status, 404)
                finally:
                    server.stop()

    def test_port_option_wins_over_the_base_url(self):
        server = Server(WWW, "--port", "0", env={"TUNDREL_SERVER_URL": "http://127.0.0.1:1/"})
        try:
            self.assertNotIn(server.port, (None, 1), server.ready)
        finally:
            server.stop()


class ServedFiles(unittest.TestCase):
    """The files of server/www, read as the player reads them."""

    def read(self, name):
        with open(os.path.join(WWW, name), "rb") as f:
            return f.read()

    def test_version_file_names_this_version(self):
        self.assertEqual(self.read("lastlite.pzt"), b"1.08.3\r\n")

    def test_station_list_lines(self):
        data = self.read("radiolist07.pzt")
        self.assertTrue(data.endswith(b"\r\n"))
        self.assertNotIn(b"\xef\xbb\xbf", data[:3])
        lines = data.decode("utf-8").split("\r\n")[:-1]
        self.assertGreaterEqual(len(lines), 20)
        self.assertIn("(Pop Rock) Radio Paradise,http://stream.radioparadise.com/mp3-128", lines)
        names = set()
        for line in lines:
            with self.subTest(line=line):
                self.assertNotIn("\n", line)
                self.assertNotIn("\r", line)
                name, _, url = line.partition(",")
                self.assertRegex(name, r"^\([^()]+\) \S")
                self.assertRegex(url, r"^https?://[^\s,]+$")
                self.assertNotIn(name, names)
                names.add(name)


if __name__ == "__main__":
    unittest.main(verbosity=2)
