#!/usr/bin/env bash
# What a join of phone clips and photos costs when the clips are copied: five
# 1080p30 H.264 + AAC phone clips (a keyframe every second) and four 4000x3000
# photos, each photo after a clip with a 1 s fade before it, into MP4 (format 10):
#   - quillmark-cli join as it is (the clips copied, only the photos, their fades
#     and the sound encoded);
#   - the same join with --no-smart-render (every frame encoded);
#   - the stream-copy limit: the clips alone joined by ffmpeg's concat demuxer
#     with -c copy (no photos, no fades).
# Wall times are the median of 3 runs (RUNS=n for another number), taken in turn.
# Also printed: the share of the clips' frames that decode bit for bit as their
# source's (ffmpeg -f framemd5), the output's frames against the expected count,
# and the length of the sound against the picture's.
#
# Usage: [SHORT=1] [RUNS=n] bench/hybrid_join.sh [build folder]   (default ./build; SHORT=1: 10 s clips)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${QUILLMARK_BUILD_DIR:-$here/build}}"
cli="$build/bin/quillmark-cli"
[ -x "$cli" ] || { echo "no $cli: build quillmark-cli first" >&2; exit 1; }
duration=60
runs="${RUNS:-3}"
[ "${SHORT:-0}" = 1 ] && duration=10
photo_seconds=3
media="${QUILLMARK_BENCH_MEDIA:-$build/bench-media}/hybrid-join"
mkdir -p "$media"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench_media.sh
source "$here/bench/bench_media.sh"

clips=() photos=()
for k in 1 2 3 4 5; do
  clip="$media/phone-$k-1080p30-${duration}s.mp4"
  # Each clip its own picture and tone, as five recordings are.
  make_source "$clip" -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=$duration,hue=h=$(( k * 60 ))" \
    -f lavfi -i "sine=frequency=$(( 300 + 100 * k )):sample_rate=48000:duration=$duration" \
    -c:v libx264 -preset ultrafast -g 30 -keyint_min 30 -sc_threshold 0 -pix_fmt yuv420p \
    -c:a aac -b:a 128k -ac 2 -movflags +faststart
  clips+=("$clip")
done
for k in 1 2 3 4; do
  photo="$media/photo-$k-4000x3000.jpg"
  make_source "$photo" -f lavfi -i "mandelbrot=size=4000x3000:start_scale=$(( k + 1 )),format=yuvj420p" \
    -frames:v 1 -q:v 3
  photos+=("$photo")
done
list=()
for k in 0 1 2 3; do list+=("${clips[$k]}" "${photos[$k]}"); done
list+=("${clips[4]}")

settings="$work/settings.ini"
printf '[general]\nsmartrender=1\nvideoonly=0\n' >"$settings"

now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

join() { # join OUTPUT [option]
  "$cli" --settings "$settings" join "${list[@]}" --out "$1" --format 10 --picture-seconds "$photo_seconds" \
    --transition-seconds 1 --transition 0 ${2:+"$2"} >"$work/notes" 2>&1 ||
    { echo "failed: quillmark-cli join ${2:-}" >&2; cat "$work/notes" >&2; exit 1; }
}
concat_copy() {
  : >"$work/concat.txt"
  for c in "${clips[@]}"; do printf "file '%s'\n" "$c" >>"$work/concat.txt"; done
  ffmpeg -v error -y -f concat -safe 0 -i "$work/concat.txt" -c copy "$1"
}

: >"$work/hybrid.times"; : >"$work/full.times"; : >"$work/copy.times"
for (( run = 1; run <= runs; run++ )); do
  t0=$(now); join "$work/hybrid.mp4"; t1=$(now)
  join "$work/full.mp4" --no-smart-render; t2=$(now)
  concat_copy "$work/copy.mp4"; t3=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }' >>"$work/hybrid.times"
  awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }' >>"$work/full.times"
  awk -v a="$t2" -v b="$t3" 'BEGIN { print b - a }' >>"$work/copy.times"
done
join "$work/hybrid.mp4"
tr '\r' '\n' <"$work/notes" | grep -o '^\(Copying\|Re-encoding\)[^;]*' | sed 's/^/  /' >&2

# One MD5 a decoded picture, in showing order.
hashes() { ffmpeg -v error -i "$1" -map 0:v:0 -f framemd5 - | grep -v '^#' | awk -F, '{ gsub(/ /, "", $6); print $6 }'; }
hashes "$work/hybrid.mp4" >"$work/out.md5"
: >"$work/clips.md5"
offset=0 same=0 total=0
for k in 0 1 2 3 4; do
  hashes "${clips[$k]}" >"$work/clip.md5"
  n=$(wc -l <"$work/clip.md5")
  s=$(sed -n "$(( offset + 1 )),$(( offset + n ))p" "$work/out.md5" | paste -d' ' - "$work/clip.md5" |
      awk '$1 == $2 { n++ } END { print n + 0 }')
  same=$(( same + s )); total=$(( total + n ))
  offset=$(( offset + n + photo_seconds * 30 ))
done
written=$(wc -l <"$work/out.md5")
seconds() { ffprobe -v error -select_streams "$1" -show_entries stream=duration -of csv=p=0 "$2"; }
picture=$(seconds v:0 "$work/hybrid.mp4"); sound=$(seconds a:0 "$work/hybrid.mp4")

h=$(median <"$work/hybrid.times"); f=$(median <"$work/full.times"); c=$(median <"$work/copy.times")
echo "five ${duration} s 1080p30 clips and four 4000x3000 photos of ${photo_seconds} s; median of $runs runs, in turn" >&2
echo "| join | wall time (s) | against the full encode | against the copy limit |"
echo "|---|---:|---:|---:|"
awk -v h="$h" -v f="$f" -v c="$c" 'BEGIN {
  printf "| quillmark, clips copied | %.2f | %.3f | %.1f |\n", h, h / f, h / c
  printf "| quillmark --no-smart-render | %.2f | 1 | %.1f |\n", f, f / c
  printf "| ffmpeg concat -c copy, clips alone | %.2f | %.3f | 1 |\n", c, c / f }'
echo
echo "clips' frames bit-identical: $same of $total; frames written: $written of $(( total + 4 * photo_seconds * 30 )); picture ${picture} s, sound ${sound} s"
