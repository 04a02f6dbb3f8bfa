#!/usr/bin/env bash
# Wall time of a picture slideshow with quillmark-cli against the ffmpeg command
# line building the same one (loop + xfade chain + music): 20 pictures of
# 1920x1080, each shown 3 s with a 1 s fade in front of it (from black for the
# first), music under all of it, into DVD PAL. Three runs each, alternating;
# prints the median wall times, ours / ffmpeg, and our peak memory.
#
# Usage: bench/slideshow_vs_ffmpeg.sh [build folder]   (default: ./build)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${QUILLMARK_BUILD_DIR:-$here/build}}"
cli="$build/bin/quillmark-cli"
[ -x "$cli" ] || { echo "no $cli: build quillmark-cli first" >&2; exit 1; }
runs=3 count=20 show=3 fade=1
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

ffmpeg -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=1:duration=$count" -q:v 3 "$work/pic_%02d.jpg"
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$((count * show))" \
  -c:a libmp3lame -b:a 128k "$work/music.mp3"

# Ours: the calls a join makes (transition, picture, music slice), keep-aspect mode.
script="$work/slideshow.txt"
echo "OutputType 4" >"$script"
inputs=() chain="" last="black"
for ((i = 0; i < count; i++)); do
  pic=$(printf '%s/pic_%02d.jpg' "$work" $((i + 1)))
  start=$((i * show))
  printf 'AddTransition 0 %d %d\nAddVideoClip "%s" 0 %d 2\nAddAudioClip "%s" %d %d\n' \
    "$start" $((start + fade)) "$pic" "$show" "$work/music.mp3" "$start" $((start + show)) >>"$script"
  # ffmpeg: each picture lasts its showing time plus the fade into the next one.
  length=$show; ((i < count - 1)) && length=$((show + fade))
  inputs+=(-loop 1 -framerate 25 -t "$length" -i "$pic")
  chain+="[$i:v]scale=720:576:force_original_aspect_ratio=decrease:eval=frame,"
  chain+="pad=720:576:(ow-iw)/2:(oh-ih)/2,setsar=16/15,format=yuv420p,fps=25[p$i];"
  chain+="[$last][p$i]xfade=transition=fade:duration=$fade:offset=$start[x$i];"
  last="x$i"
done
graph="color=c=black:size=720x576:rate=25:duration=$fade,setsar=16/15,format=yuv420p[black];$chain"
graph="${graph%;}"

measure() {
  /usr/bin/time -f "%e %M" -o "$work/time.log" "$@" >/dev/null 2>"$work/stderr.log" || {
    echo "failed: ${*:0:3} ..." >&2; cat "$work/stderr.log" >&2; exit 1; }
  cat "$work/time.log"
}
median() { printf '%s\n' "$@" | sort -g | sed -n "$(( ($# + 1) / 2 ))p"; }

ours=() theirs=() peak=0
for ((r = 0; r < runs; r++)); do
  read -r t m < <(measure "$cli" render "$script" "$work/ours.mpg")
  ours+=("$t"); (( m > peak )) && peak=$m
  read -r t _ < <(measure ffmpeg -v error -y "${inputs[@]}" -i "$work/music.mp3" \
    -filter_complex "$graph" -map "[$last]" -map "$count:a" -t $((count * show)) -target pal-dvd "$work/theirs.mpg")
  theirs+=("$t")
done
o=$(median "${ours[@]}"); f=$(median "${theirs[@]}")
printf '%-24s %10s %10s %7s %12s\n' "slideshow" "ours (s)" "ffmpeg (s)" "ratio" "our peak MB"
awk -v o="$o" -v f="$f" -v p="$peak" \
  'BEGIN { printf "%-24s %10.2f %10.2f %7.2f %12.0f\n", "DVD PAL, 20 pictures", o, f, (f > 0 ? o / f : 0), p / 1024 }'
