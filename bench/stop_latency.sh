#!/usr/bin/env bash
# How quickly a render of many clips lets go when it is stopped: quillmark-cli
# renders a join of 200 three-second files with their sound into DVD PAL and is
# sent SIGINT a given time after it starts (0.2 s: still inspecting the clips;
# 3 s: writing). Prints, per delay, the median over five runs of the time from
# the signal to the process's exit, and whether anything was left in the folder.
#
# Usage: bench/stop_latency.sh [build folder]   (default: ./build)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${QUILLMARK_BUILD_DIR:-$here/build}}"
cli="$build/bin/quillmark-cli"
[ -x "$cli" ] || { echo "no $cli: build quillmark-cli first" >&2; exit 1; }
runs=5
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

mkdir "$work/sources"
ffmpeg -v error -y -f lavfi -i testsrc2=size=320x240:rate=25:duration=3 \
  -f lavfi -i sine=frequency=440:sample_rate=44100:duration=3 -ac 2 \
  -c:v libx264 -preset veryfast -g 10 -pix_fmt yuv420p -c:a aac "$work/clip.mp4"
script="$work/script.txt"
echo "OutputType 4" >"$script"
for i in $(seq 1 200); do
  ln "$work/clip.mp4" "$work/sources/clip $i.mp4"
  printf 'AddVideoClip "%s" 0 3 0\nAddAudioClip "%s" 0 3\n' "$work/sources/clip $i.mp4" "$work/sources/clip $i.mp4" >>"$script"
done

printf '%-10s %-22s %s\n' "signal at" "signal to exit (ms)" "left behind"
for delay in 0.2 3; do
  times=()
  left=0
  for _ in $(seq 1 $runs); do
    mkdir "$work/out"
    "$cli" render "$script" "$work/out/many.mpg" 2>/dev/null &
    pid=$!
    sleep "$delay"
    sent=$(date +%s%N)
    kill -INT "$pid"
    wait "$pid" || true
    ended=$(date +%s%N)
    times+=($(((ended - sent) / 1000000)))
    left=$((left + $(ls -A "$work/out" | wc -l)))
    rm -rf "$work/out"
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  printf '%-10s %-22s %s\n' "${delay} s" "$median (runs: ${times[*]})" "$left files"
done
