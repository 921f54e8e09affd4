#!/usr/bin/env bash
# Whole-process comparison of our engine with mpv and gst-play-1.0 on the same local Icecast mount:
# time from process start to the first decoded audio byte, and CPU seconds and peak memory over a
# long playback. Every player writes s16le 44100 Hz stereo PCM to a file, so "first audio" is
# measured the same way for all three. "mpv-paced" is mpv with the clock pacing our engine uses for
# file output, to tell the engine's own cost from the pacing's.
#
#   bench/engine/compare.sh [BUILD_DIR] [URL]
# Environment: SECONDS_LONG (60), REPEAT (3 short runs per player for the first-sample time).
# Starts the local stations when they are not on air and stops them again afterwards.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build}
url=${2:-http://127.0.0.1:8420/demo.mp3}
long=${SECONDS_LONG:-60}
repeat=${REPEAT:-3}
driver=$build/bin/engine_driver
[ -x "$driver" ] || { echo "build engine_driver first: ninja -C $build engine_driver" >&2; exit 1; }
for tool in mpv gst-play-1.0 python3; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps)" >&2; exit 1; }
done

work=$(mktemp -d)
started=""
cleanup() {
    rm -rf "$work"
    if [ -n "$started" ]; then "$root/server/local-stations" stop --token bench >/dev/null || true; fi
}
trap cleanup EXIT
if ! curl -s -f --max-time 3 -o /dev/null -r 0-1 "$url" 2>/dev/null; then
    "$root/server/local-stations" start --token bench >/dev/null
    started=yes
fi

cap=$work/capture.raw
run() { # name seconds
    local name=$1 seconds=$2
    case $name in
    engine)
        TUNDREL_AUDIO_OUT="file:$cap" python3 "$here/measure.py" "$cap" "$((seconds + 5))" -- \
            "$driver" "$url" "$seconds" ;;
    mpv)
        python3 "$here/measure.py" "$cap" "$seconds" -- mpv --no-config --no-video --ao=pcm \
            --ao-pcm-file="$cap" --ao-pcm-waveheader=no --audio-format=s16 --audio-samplerate=44100 \
            --audio-channels=stereo "$url" ;;
    mpv-paced)
        # mpv with the same real-time pacing our engine puts in front of its PCM writer.
        python3 "$here/measure.py" "$cap" "$seconds" -- mpv --no-config --no-video --ao=pcm \
            --ao-pcm-file="$cap" --ao-pcm-waveheader=no --audio-format=s16 --audio-samplerate=44100 \
            --audio-channels=stereo --cache=no --af=lavfi=[arealtime] "$url" ;;
    gst-play)
        python3 "$here/measure.py" "$cap" "$seconds" -- gst-play-1.0 --no-interactive -q \
            --audiosink="audioconvert ! audioresample ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! filesink location=$cap" \
            "$url" ;;
    esac
}

echo "mount: $url   $(date -u +%Y-%m-%dT%H:%MZ)   $(nproc) cores"
echo "-- first audio byte after process start, $repeat runs each (seconds)"
for name in engine mpv mpv-paced gst-play; do
    times=()
    for _ in $(seq "$repeat"); do
        line=$(run "$name" 4)
        times+=("$(sed -n 's/.*first=\([^ ]*\).*/\1/p' <<<"$line")")
    done
    printf '%-10s %s\n' "$name" "${times[*]}"
done
echo "-- ${long} s of playback: CPU seconds (user+system), peak RSS, seconds of audio written"
for name in engine mpv mpv-paced gst-play; do
    printf '%-10s %s\n' "$name" "$(run "$name" "$long")"
done
