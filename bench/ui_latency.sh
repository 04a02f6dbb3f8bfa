#!/usr/bin/env bash
# The window's worst stall during each of five things users do, and the time of
# frame steps in the split editor (see bench/ui_latency/ui_latency.cpp).
# Targets: no stall over 50 ms for any action; a median step forward under 50 ms.
#
# Usage: bench/ui_latency.sh [build folder]   (default: ./build)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${QUILLMARK_BUILD_DIR:-$here/build}}"
bin="$build/bench/ui_latency"
cmake --build "$build" --target ui_latency >/dev/null
media="${QUILLMARK_BENCH_MEDIA:-$build/bench-media}"
mkdir -p "$media"
[ -f "$media/hour.mp4" ] || ffmpeg -v error -y -f lavfi -i color=c=gray:s=64x64:r=25:d=3600 \
  -f lavfi -i sine=d=3600:r=8000 -c:v libx264 -preset ultrafast -g 250 -c:a aac -b:a 16k "$media/hour.mp4"
[ -f "$media/clip.mp4" ] || ffmpeg -v error -y -f lavfi -i testsrc2=s=640x360:r=25:d=10 \
  -f lavfi -i sine=d=10:r=48000 -c:v libx264 -preset veryfast -c:a aac "$media/clip.mp4"
[ -f "$media/big.jpg" ] || ffmpeg -v error -y -f lavfi -i testsrc2=s=4000x3000 -frames:v 1 -q:v 3 "$media/big.jpg"
# 1080p H.264 with a keyframe every 250 frames and each frame's number burnt into
# its top left corner as 16 black or white cells, lowest bit first.
[ -f "$media/step1080.mp4" ] || ffmpeg -v error -y -f lavfi -i testsrc2=s=1920x1080:r=25:d=30 \
  -f lavfi -i "color=black:s=16x1:r=25:d=30,format=gray,geq=lum='255*mod(floor(N/pow(2\,X))\,2)',scale=1024x64:flags=neighbor" \
  -f lavfi -i sine=d=30:r=48000 -filter_complex "[0][1]overlay=0:0,format=yuv420p[v]" -map "[v]" -map 2 \
  -c:v libx264 -preset veryfast -g 250 -keyint_min 250 -sc_threshold 0 -c:a aac "$media/step1080.mp4"
"$bin" "$media"
