#!/usr/bin/env bash
# Wall time of quillmark-cli against the ffmpeg command line doing the same encode
# of a 30 s 1280x720 25 fps H.264 + AAC source, into DVD PAL, VCD PAL, AVI
# (MPEG-4 + MP3, 352x240) and WMV (profile 0). The two alternate, three runs each;
# the table gives the median wall times, ours / ffmpeg, and our peak memory.
#
# Usage: bench/engine_vs_ffmpeg.sh [build folder]   (default: ./build)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${QUILLMARK_BUILD_DIR:-$here/build}}"
cli="$build/bin/quillmark-cli"
[ -x "$cli" ] || { echo "no $cli: build quillmark-cli first" >&2; exit 1; }
runs=3
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

src="$work/source.mp4"
ffmpeg -v error -y -f lavfi -i testsrc2=size=1280x720:rate=25:duration=30 \
  -f lavfi -i sine=frequency=440:sample_rate=48000:duration=30 -ac 2 \
  -c:v libx264 -preset veryfast -g 50 -pix_fmt yuv420p -c:a aac -b:a 128k "$src"

# name | script lines for quillmark-cli | ffmpeg output options (same encode)
formats=(
  "DVD PAL|OutputType 4|-target pal-dvd"
  "VCD PAL|OutputType 0|-target pal-vcd"
  "AVI MPEG-4+MP3 352x240|OutputType 8;FrameRate 25;OutputFileWidth 352;OutputFileHeight 240;VideoCompressor 5;AudioCompressor 4|-f avi -c:v mpeg4 -vtag XVID -b:v 528000 -g 250 -s 352x240 -r 25 -pix_fmt yuv420p -c:a libmp3lame -b:a 128k -ar 44100 -ac 2"
  "WMV profile 0|OutputType 9;WMVProfile 0|-f asf -c:v wmv2 -b:v 1000k -g 250 -s 640x480 -r 25 -c:a wmav2 -b:a 128k -ar 44100 -ac 2"
)

# Runs a command under /usr/bin/time; prints "wall_seconds peak_kib".
measure() {
  local log="$work/time.log"
  /usr/bin/time -f "%e %M" -o "$log" "$@" >/dev/null 2>"$work/stderr.log" || {
    echo "failed: $*" >&2; cat "$work/stderr.log" >&2; exit 1; }
  cat "$log"
}

median() { printf '%s\n' "$@" | sort -g | sed -n "$(( ($# + 1) / 2 ))p"; }

printf '%-24s %10s %10s %7s %12s\n' "format" "ours (s)" "ffmpeg (s)" "ratio" "our peak MB"
for entry in "${formats[@]}"; do
  IFS='|' read -r name lines ffopts <<<"$entry"
  script="$work/render.txt"
  tr ';' '\n' <<<"$lines" >"$script"
  printf 'AddVideoClip "%s" 0 30 0\nAddAudioClip "%s" 0 30\n' "$src" "$src" >>"$script"
  ours=() theirs=() peak=0
  for ((i = 0; i < runs; i++)); do
    read -r t m < <(measure "$cli" render "$script" "$work/ours.out")
    ours+=("$t"); (( m > peak )) && peak=$m
    # shellcheck disable=SC2086
    read -r t _ < <(measure ffmpeg -v error -y -i "$src" $ffopts "$work/theirs.out")
    theirs+=("$t")
  done
  o=$(median "${ours[@]}"); f=$(median "${theirs[@]}")
  awk -v n="$name" -v o="$o" -v f="$f" -v p="$peak" \
    'BEGIN { printf "%-24s %10.2f %10.2f %7.2f %12.0f\n", n, o, f, (f > 0 ? o / f : 0), p / 1024 }'
done
