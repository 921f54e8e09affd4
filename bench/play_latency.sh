#!/usr/bin/env bash
# Time from a click on play to the first audio sample, for the whole player on a local Icecast MP3 mount:
# the radio runs on its own Xvfb with its audio written to a file (TUNDREL_AUDIO_OUT=file:), the click
# comes through xdotool, and the file is watched for its first non-zero sample after the click.
# Each round is play, 2 s of sound, stop; the first round is also the player's first stream open.
#
#   bench/play_latency.sh [BUILD_DIR] [ROUNDS]      (defaults: build, 9)
#
# Needs the station-list port of the build (8419) free; starts the local stations when they are not
# running (and stops them again only then). Prints one line per round and the median. Goal: < 500 ms.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-9}
player=$build/bin/TUNDRELlite
if [ ! -x "$player" ] || [ ! -f "$build/bin/libfmodex.so" ]; then
    echo "build TUNDRELlite and fmodex in $build first" >&2
    exit 1
fi
for tool in Xvfb xdotool python3 curl; do
    command -v $tool >/dev/null || { echo "$tool is missing (scripts/install-deps)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tundrel-play-latency.XXXXXX)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    "$root/server/local-stations" stop --token bench >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

"$root/server/local-stations" start --token bench >/dev/null

mkdir -p "$work/www" "$work/home"
printf '(Demo) Tundrel Tones,http://127.0.0.1:8420/demo.mp3\r\n' >"$work/www/radiolist07.pzt"
printf '1.08.3\r\n' >"$work/www/lastlite.pzt"
printf '\xef\xbb\xbf\r\n[USERPREF]\r\nLAST=%s\r\nLNG=US\r\nVOL=0.5\r\n' \
    '(Demo) Tundrel Tones,http://127.0.0.1:8420/demo.mp3' >"$work/home/user_radio.pzt"
"$root/server/station-server" --root "$work/www" --port 8419 >"$work/station-server.log" 2>&1 &
pids+=($!)

display=""
for n in $(seq 600 640); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
        DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && { display=":$n"; break; }
        sleep 0.1
    done
    [ -n "$display" ] && break
done
[ -n "$display" ] || { echo "no Xvfb display" >&2; exit 1; }
for _ in $(seq 50); do grep -q ready "$work/station-server.log" && break; sleep 0.1; done
grep -q ready "$work/station-server.log" || { cat "$work/station-server.log" >&2; exit 1; }

capture=$work/home/capture.pcm
(cd "$work/home" && DISPLAY=$display TUNDREL_AUDIO_OUT=file:$capture exec "$player") \
    >"$work/player.log" 2>&1 &
pids+=($!)

DISPLAY=$display python3 - "$capture" "$rounds" <<'EOF'
import os, statistics, subprocess, sys, time

capture, rounds = sys.argv[1], int(sys.argv[2])

def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout

deadline = time.monotonic() + 20
body = ""
while not body and time.monotonic() < deadline:
    body = xdotool("search", "--onlyvisible", "--name", "^Alpha Window Test$").split("\n")[0]
    time.sleep(0.1)
if not body:
    sys.exit("the radio did not open")
geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", body).split())
play = (int(geometry["X"]) + 168 + 19, int(geometry["Y"]) + 236 + 11)
xdotool("mousemove", str(play[0]), str(play[1]))
time.sleep(3)  # the station list, the first paint, the timers

# The play/stop face, read straight from the X server: it turns to STOP once the stream has opened.
import ctypes
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                          ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x11.XDestroyImage.argtypes = [ctypes.c_void_p]
xdisplay = x11.XOpenDisplay(os.environ["DISPLAY"].encode())
xroot = x11.XDefaultRootWindow(xdisplay)

def face():
    left, top = play[0] - 19, play[1] - 11
    image = x11.XGetImage(xdisplay, xroot, left, top, 38, 23, 0xFFFFFFFF, 2)
    pixels = tuple(x11.XGetPixel(image, x, y) for y in range(23) for x in range(38))
    x11.XDestroyImage(image)
    return pixels

def size():
    try:
        return os.path.getsize(capture)
    except FileNotFoundError:
        return 0

def first_sound_after(offset, start, play_face, limit=10.0):
    """Seconds from start until the face shows STOP, until the first byte and until a non-zero sample
    lie in the capture beyond offset; and the seconds of silence written before that sample."""
    first_byte = opened = None
    begin = offset = offset - offset % 4
    while time.monotonic() - start < limit:
        now = time.monotonic()
        if opened is None and face() != play_face:
            opened = now - start
        if size() > offset:
            first_byte = first_byte or now - start
            with open(capture, "rb") as f:
                f.seek(offset)
                data = f.read()
            data = data[: len(data) - len(data) % 4]
            loud = len(data) - len(data.lstrip(b"\0"))
            if loud < len(data):
                return opened, first_byte, now - start, (offset + loud - begin) / 176400
            offset += len(data)
        time.sleep(0.002)
    return opened, first_byte, None, None

results, opens = [], []
for i in range(rounds):
    offset = size()
    play_face = face()
    start = time.monotonic()
    xdotool("click", "1")
    opened, first_byte, seconds, silence = first_sound_after(offset, start, play_face)
    label = "first" if i == 0 else "again"
    shown = f"{opened * 1000:.0f} ms" if opened is not None else "never"
    if seconds is None:
        print(f"round {i + 1} ({label}): no sound; STOP face {shown}")
    else:
        print(f"round {i + 1} ({label}): first sound {seconds * 1000:.0f} ms; STOP face {shown}; first byte "
              f"{first_byte * 1000:.0f} ms, {silence * 1000:.0f} ms of silence before the sound")
        results.append(seconds)
    if opened is not None:
        opens.append(opened)
    time.sleep(2)
    xdotool("click", "1")  # stop
    time.sleep(1)
for name, values in (("first sound in the capture", results), ("stream opened (STOP face)", opens)):
    if values:
        print(f"{name}: median of {len(values)} {statistics.median(values) * 1000:.0f} ms "
              f"(min {min(values) * 1000:.0f}, max {max(values) * 1000:.0f})")
EOF
