#!/usr/bin/env python3
"""Runs one player process and measures it from outside.

Usage: measure.py CAPTURE SECONDS -- COMMAND...
The command must write decoded audio to CAPTURE. Prints one line:
  first=<s from process start to the first audio byte in CAPTURE> cpu=<user+system s> peak_mib=<max RSS>
The process is ended with SIGTERM after SECONDS if it has not ended by itself.
"""
import os
import signal
import subprocess
import sys
import time


def main():
    capture, seconds = sys.argv[1], float(sys.argv[2])
    command = sys.argv[sys.argv.index("--") + 1:]
    if os.path.exists(capture):
        os.remove(capture)
    start = time.monotonic()
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    first = None
    deadline = start + seconds
    ended = None  # (pid, status, rusage) once reaped; Popen.poll would reap it without the usage
    while time.monotonic() < deadline:
        if first is None and os.path.exists(capture) and os.path.getsize(capture) > 0:
            first = time.monotonic() - start
        ended = os.wait4(proc.pid, os.WNOHANG)
        if ended[0] != 0:
            break
        ended = None
        time.sleep(0.005 if first is None else 0.2)
    if ended is None:
        os.kill(proc.pid, signal.SIGTERM)
        ended = os.wait4(proc.pid, 0)
    proc.returncode = 0
    usage = ended[2]
    size = os.path.getsize(capture) if os.path.exists(capture) else 0
    print("first=%s cpu=%.2f peak_mib=%.1f audio_s=%.1f" % (
        "%.3f" % first if first is not None else "none", usage.ru_utime + usage.ru_stime,
        usage.ru_maxrss / 1024.0, size / 176400.0))


if __name__ == "__main__":
    main()
