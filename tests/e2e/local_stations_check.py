#!/usr/bin/python3
"""The local demo stations on air: every mount gives audible audio in its format, its titles change
from one demo song to the next in playlist order, and the demo entries of the station list lead where
they promise (on air, missing mount, nobody listening). Needs server/local-stations running."""

import os
import re
import socket
import subprocess
import tempfile
import threading
import time
import unittest

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PORT = int(os.environ.get("TUNDREL_ICECAST_PORT", "8420"))
LISTEN_LIMIT = 25.0  # seconds: the longest song is 8 s, so two titles always fit

# mount, content type, sample rate, channels
MOUNTS = [
    ("demo.mp3", "audio/mpeg", 44100, 2),
    ("demo.ogg", "application/ogg", 44100, 2),
    ("demo-mono.mp3", "audio/mpeg", 22050, 1),
]


def demo_songs():
    """Titles ("artist - title") of each mount, in playlist order, from the song cache's table."""
    folder = subprocess.check_output([os.path.join(SOURCE_DIR, "server", "make-demo-songs")], text=True)
    titles = {}
    with open(os.path.join(folder.strip(), "songs.tsv"), encoding="utf-8") as table:
        next(table)
        for line in table:
            mount, _, artist, title = line.rstrip("\n").split("\t")[:4]
            titles.setdefault(mount, []).append("%s - %s" % (artist, title))
    return titles


def open_stream(mount, headers=b""):
    sock = socket.create_connection(("127.0.0.1", PORT), timeout=10)
    sock.sendall(b"GET /" + mount.encode() + b" HTTP/1.0\r\nHost: 127.0.0.1\r\n" + headers + b"\r\n")
    stream = sock.makefile("rb")
    status = stream.readline().decode("latin-1").strip()
    fields = {}
    while True:
        line = stream.readline().decode("latin-1")
        if line in ("\r\n", "\n", ""):
            break
        name, _, value = line.partition(":")
        fields[name.strip().lower()] = value.strip()
    return sock, stream, status, fields


def read_exactly(stream, n):
    data = stream.read(n)
    if len(data) != n:
        raise EOFError("stream ended")
    return data


def listen_icy(stream, fields, enough):
    """Audio bytes and titles in order of arrival, from an MP3 stream with ICY metadata."""
    metaint = int(fields["icy-metaint"])
    audio, titles = bytearray(), []
    deadline = time.monotonic() + LISTEN_LIMIT
    while time.monotonic() < deadline and not enough(titles, audio):
        audio += read_exactly(stream, metaint)
        size = read_exactly(stream, 1)[0] * 16
        if size:
            block = read_exactly(stream, size).rstrip(b"\0").decode("utf-8")
            found = re.search(r"StreamTitle='(.*?)';", block)
            if found and (not titles or titles[-1] != found.group(1)):
                titles.append(found.group(1))
    return bytes(audio), titles


def ogg_titles(data):
    """"ARTIST - TITLE" of every Vorbis comment header in a stretch of an Ogg stream, in order."""
    titles, partial, pos = [], {}, 0
    while True:
        at = data.find(b"OggS", pos)
        if at < 0 or at + 27 > len(data):
            break
        segments = data[at + 27 : at + 27 + data[at + 26]]
        body = at + 27 + len(segments)
        if len(segments) < data[at + 26] or body + sum(segments) > len(data):
            break
        serial, flags = data[at + 14 : at + 18], data[at + 5]
        packet = partial.get(serial, b"") if flags & 1 else b""
        for length in segments:
            packet += data[body : body + length]
            body += length
            if length < 255:
                if packet.startswith(b"\x03vorbis"):
                    titles.append(vorbis_title(packet))
                packet = b""
        partial[serial] = packet
        pos = body
    return titles


def vorbis_title(packet):
    at = 7
    vendor = int.from_bytes(packet[at : at + 4], "little")
    at += 4 + vendor
    count = int.from_bytes(packet[at : at + 4], "little")
    at += 4
    tags = {}
    for _ in range(count):
        length = int.from_bytes(packet[at : at + 4], "little")
        key, _, value = packet[at + 4 : at + 4 + length].decode("utf-8").partition("=")
        tags[key.upper()] = value
        at += 4 + length
    return "%s - %s" % (tags.get("ARTIST", ""), tags.get("TITLE", ""))


def listen_ogg(stream, enough):
    audio, titles = bytearray(), []
    deadline = time.monotonic() + LISTEN_LIMIT
    while time.monotonic() < deadline and not enough(titles, audio):
        audio += read_exactly(stream, 4096)
        titles = ogg_titles(bytes(audio))
        titles = [t for i, t in enumerate(titles) if i == 0 or titles[i - 1] != t]
    return bytes(audio), titles


def two_titles_and_three_seconds(kbits):
    return lambda titles, audio: len(titles) >= 2 and len(audio) >= 3 * kbits * 1000 // 8


def sox_facts(audio, suffix):
    """Sample rate, channels and the RMS and peak amplitude (0..1) of a stretch of stream."""
    with tempfile.NamedTemporaryFile(suffix=suffix) as f:
        f.write(audio)
        f.flush()
        rate = int(subprocess.check_output(["soxi", "-V1", "-r", f.name], text=True))
        channels = int(subprocess.check_output(["soxi", "-V1", "-c", f.name], text=True))
        stat = subprocess.run(["sox", "-V1", f.name, "-n", "stat"], capture_output=True, text=True).stderr
    rms = float(re.search(r"RMS\s+amplitude:\s+([\d.]+)", stat).group(1))
    peak = float(re.search(r"Maximum amplitude:\s+([\d.]+)", stat).group(1))
    return rate, channels, rms, peak


class LocalStations(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.songs = demo_songs()
        cls.heard = {}

        # All mounts at once: the whole check then lasts as long as the slowest title change.
        def listen(mount, content_type):
            try:
                sock, stream, status, fields = open_stream(mount, b"Icy-MetaData: 1\r\n")
                with sock:
                    kbits = int(fields.get("icy-br", "128"))
                    if content_type == "audio/mpeg":
                        audio, titles = listen_icy(stream, fields, two_titles_and_three_seconds(kbits))
                    else:
                        audio, titles = listen_ogg(stream, two_titles_and_three_seconds(kbits))
                cls.heard[mount] = (status, fields, audio, titles)
            except Exception as e:  # reported by the test that looks at this mount
                cls.heard[mount] = e

        threads = [threading.Thread(target=listen, args=(m[0], m[1])) for m in MOUNTS]
        for t in threads:
            t.start()
        for t in threads:
            t.join()

    def heard_on(self, mount):
        result = self.heard[mount]
        if isinstance(result, Exception):
            self.fail("listening to /%s: %r" % (mount, result))
        return result

    def test_mounts_serve_audible_audio_in_their_format(self):
        for mount, content_type, rate, channels in MOUNTS:
            with self.subTest(mount=mount):
                status, fields, audio, _ = self.heard_on(mount)
                self.assertIn(" 200 ", status + " ")
                self.assertEqual(fields.get("content-type"), content_type)
                facts = sox_facts(audio, os.path.splitext(mount)[1])
                self.assertEqual(facts[:2], (rate, channels))
                # -12 dBFS tones: RMS well above 0.01 (-40 dBFS), peaks near 0.25.
                self.assertGreater(facts[2], 0.02, "RMS of /%s" % mount)
                self.assertGreater(facts[3], 0.15, "peak of /%s" % mount)

    def test_titles_change_in_playlist_order(self):
        for mount, _, _, _ in MOUNTS:
            with self.subTest(mount=mount):
                _, _, _, titles = self.heard_on(mount)
                playlist = self.songs[mount]
                self.assertGreaterEqual(len(titles), 2, "titles heard on /%s: %r" % (mount, titles))
                for title in titles:
                    self.assertIn(title, playlist)
                first = playlist.index(titles[0])
                self.assertEqual(titles[1], playlist[(first + 1) % len(playlist)])

    def test_mp3_mounts_send_titles_only_when_asked(self):
        sock, stream, status, fields = open_stream("demo.mp3")
        with sock:
            self.assertIn(" 200 ", status + " ")
            self.assertNotIn("icy-metaint", fields)
            # Plain MP3 from the first byte: a frame sync word within the first frame's length.
            data = read_exactly(stream, 2048)
        self.assertTrue(any(data[i] == 0xFF and data[i + 1] & 0xE0 == 0xE0 for i in range(1000)))

    def test_demo_entries_of_the_station_list(self):
        with open(os.path.join(SOURCE_DIR, "server", "www", "radiolist07.pzt"), "rb") as f:
            lines = f.read().decode("utf-8").split("\r\n")[:-1]
        demo = dict(line.split(",", 1) for line in lines if line.startswith("(Demo) "))
        on_air = ["(Demo) Tundrel Tones", "(Demo) Tundrel Voices", "(Demo) Tundrel Mono"]
        # name: expected answer, None for a refused connection
        cases = {name: 200 for name in on_air}
        cases.update({"(Demo) Missing Mount": 404, "(Demo) Dead Station": None})
        self.assertEqual(sorted(demo), sorted(cases))
        for name, expected in cases.items():
            with self.subTest(station=name):
                host, port, path = re.match(r"http://([\d.]+):(\d+)(/.*)", demo[name]).groups()
                self.assertEqual(host, "127.0.0.1")
                if expected is None:
                    with self.assertRaises(ConnectionRefusedError):
                        socket.create_connection((host, int(port)), timeout=5).close()
                    continue
                sock = socket.create_connection((host, int(port)), timeout=10)
                with sock:
                    sock.sendall(b"GET " + path.encode() + b" HTTP/1.0\r\n\r\n")
                    status = sock.makefile("rb").readline().decode("latin-1")
                self.assertEqual(int(status.split()[1]), expected, name)


if __name__ == "__main__":
    unittest.main(verbosity=2)
