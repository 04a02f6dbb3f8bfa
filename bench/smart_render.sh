#!/usr/bin/env bash
# What copying compatible video buys when splitting: quillmark-cli splits a DVD
# PAL source into DVD PAL parts and a 1080p H.264 source into MP4 parts, three
# equal parts each, once copying what it can (the default) and once with
# --no-smart-render. The table gives the wall time of each split, smart / full,
# the PSNR of the parts against the matching stretches of the source (average
# and lowest part; "inf" when identical), the parts' frames against the source's,
# and how many parts the engine said it copied rather than re-encoded.
#
# The sources are made once and kept in the bench media folder.
#
# Usage: [DURATION=seconds] bench/smart_render.sh [build folder]   (default: ./build, 600 s)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${QUILLMARK_BUILD_DIR:-$here/build}}"
cli="$build/bin/quillmark-cli"
[ -x "$cli" ] || { echo "no $cli: build quillmark-cli first" >&2; exit 1; }
duration="${DURATION:-600}"
media="${QUILLMARK_BENCH_MEDIA:-$build/bench-media}/smart-render"
mkdir -p "$media"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench_media.sh
source "$here/bench/bench_media.sh"

dvd="$media/dvd-pal-${duration}s.mpg"
make_source "$dvd" -f lavfi -i "testsrc2=size=720x576:rate=25:duration=$duration" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$duration" -ac 2 \
  -target pal-dvd -aspect 4:3 -g 15 -c:a ac3 -b:a 192k
mp4="$media/h264-1080p-g48-${duration}s.mp4"
make_source "$mp4" -f lavfi -i "testsrc2=size=1920x1080:rate=25:duration=$duration" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$duration" -ac 2 \
  -c:v libx264 -preset veryfast -crf 23 -g 48 -pix_fmt yuv420p -c:a aac -b:a 160k

# MP4 parts must keep the source's size and rate for its pictures to be copyable.
settings="$work/settings.ini"
printf '[general]\nsmartrender=1\nvideoonly=0\n[mp4]\noriginalsize=1\nframerate=25\n' >"$settings"

frames() {
  ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames -of default=nw=1:nk=1 "$1"
}
# Counting decodes the whole source: done once and kept beside it.
source_frames() {
  [ -f "$1.frames" ] || frames "$1" >"$1.frames"
  cat "$1.frames"
}
# One MD5 a decoded frame; the source's is kept beside it.
frame_hashes() {
  ffmpeg -v error -i "$1" -map 0:v:0 -f framemd5 - | grep -v '^#' | awk -F, '{ gsub(/ /, "", $6); print $6 }'
}
source_hashes() {
  [ -f "$1.md5" ] || frame_hashes "$1" >"$1.md5"
  echo "$1.md5"
}
# The average PSNR (all planes) of `part` against `count` frames of `source` from frame `first`.
# Frames are counted from the source's first, so a program stream's 0.5 s start does not matter.
psnr() {
  local part="$1" source="$2" first="$3" count="$4"
  ffmpeg -hide_banner -nostats -i "$part" -i "$source" -lavfi \
    "[0:v]setpts=PTS-STARTPTS[a];[1:v]trim=start_frame=$first:end_frame=$(( first + count )),setpts=PTS-STARTPTS[b];[a][b]psnr=shortest=1" \
    -f null - 2>&1 |
    sed -n 's/.*PSNR .* average:\([^ ]*\).*/\1/p' | tail -n 1
}

# The first frame of the source at or after `seconds` of its file, as the split cuts:
# the pictures' grid starts where its first frame lies (25 fps sources).
first_frame_at() {
  local source="$1" seconds="$2" offset
  offset=$(awk -v v="$(ffprobe -v error -select_streams v:0 -show_entries stream=start_time -of csv=p=0 "$source")" \
    -v f="$(ffprobe -v error -show_entries format=start_time -of csv=p=0 "$source")" 'BEGIN { printf "%.6f", v - f }')
  awk -v s="$seconds" -v o="$offset" 'BEGIN { n = (s - o) * 25 - 1e-3; f = int(n); if (f < n) f++; if (f < 0) f = 0; print f }'
}

# Splits `source` with the given extra options; prints "wall avg_psnr min_psnr part_frames copied".
measure() {
  local source="$1" format="$2" ext="$3" out="$4"; shift 4
  mkdir -p "$out"
  /usr/bin/time -f "%e" -o "$work/time" "$cli" --settings "$settings" split "$source" --parts 3 \
    --format "$format" --out "$out" "$@" >/dev/null 2>"$work/stderr" || {
    echo "failed: split $source $*" >&2; cat "$work/stderr" >&2; exit 1; }
  local total part_seconds values=() count=0 k part
  # The spans the split cuts: thirds of the length quillmark-cli measures.
  total=$("$cli" probe "$source")
  part_seconds=$(awk -v t="$total" 'BEGIN { printf "%.6f", t / 3 }')
  local first part_frames
  for k in 1 2 3; do
    part=$(ls "$out"/*-"$k.$ext")
    part_frames=$(frames "$part")
    first=$(first_frame_at "$source" "$(awk -v k="$k" -v p="$part_seconds" 'BEGIN { printf "%.6f", (k - 1) * p }')")
    values+=("$(psnr "$part" "$source" "$first" "$part_frames")")
    count=$(( count + part_frames ))
  done
  local copied encoded identical=0
  copied=$(tr '\r' '\n' <"$work/stderr" | grep -c '^Copying ' || true)
  # Frames meant to be copied (all but those the notes say were encoded) against
  # frames decoded bit for bit as the source's.
  encoded=$(tr '\r' '\n' <"$work/stderr" | sed -n 's/^Copying .*re-encoding \([0-9]*\) frames.*/\1/p' | awk '{ s += $1 } END { print s + 0 }')
  if [ "$copied" -gt 0 ]; then
    for k in 1 2 3; do frame_hashes "$(ls "$out"/*-"$k.$ext")"; done >"$work/parts.md5"
    identical=$(awk 'NR == FNR { seen[$1]; next } ($1 in seen) { n++ } END { print n + 0 }' "$(source_hashes "$source")" "$work/parts.md5")
  fi
  local lossless="-"
  [ "$copied" -gt 0 ] && lossless="$identical/$(( count - encoded ))"
  awk -v wall="$(cat "$work/time")" -v frames="$count" -v copied="$copied" -v lossless="$lossless" -v list="${values[*]}" 'BEGIN {
    n = split(list, v, " "); sum = 0; finite = 0; low = "inf"
    for (i = 1; i <= n; i++) {
      if (v[i] == "inf") continue
      sum += v[i]; finite++
      if (low == "inf" || v[i] + 0 < low + 0) low = v[i]
    }
    avg = finite ? sprintf("%.2f", sum / finite) : "inf"
    if (finite && finite < n) avg = avg "*"
    if (low != "inf") low = sprintf("%.2f", low)
    printf "%s %s %s %d %d %s\n", wall, avg, low, frames, copied, lossless
  }'
}

echo "source length ${duration} s, 3 parts; PSNR in dB, * when some parts are identical (inf) and left out" >&2
printf '%-14s %-6s %9s %11s %9s %9s %17s %7s %19s\n' "source" "mode" "wall (s)" "smart/full" "PSNR avg" "PSNR min" "frames parts/src" "copied" "identical/to copy"
for entry in "DVD PAL|$dvd|4|mpg" "H.264 1080p|$mp4|10|mp4"; do
  IFS='|' read -r name source format ext <<<"$entry"
  src_frames=$(source_frames "$source")
  read -r smart_t smart_avg smart_min smart_frames smart_copied smart_lossless < <(measure "$source" "$format" "$ext" "$work/$format-smart")
  read -r full_t full_avg full_min full_frames full_copied full_lossless < <(measure "$source" "$format" "$ext" "$work/$format-full" --no-smart-render)
  ratio=$(awk -v s="$smart_t" -v f="$full_t" 'BEGIN { printf "%.2f", (f > 0 ? s / f : 0) }')
  printf '%-14s %-6s %9.2f %11s %9s %9s %17s %7s %19s\n' "$name" "smart" "$smart_t" "$ratio" "$smart_avg" "$smart_min" \
    "$smart_frames/$src_frames" "$smart_copied/3" "$smart_lossless"
  printf '%-14s %-6s %9.2f %11s %9s %9s %17s %7s %19s\n' "$name" "full" "$full_t" "" "$full_avg" "$full_min" \
    "$full_frames/$src_frames" "$full_copied/3" "$full_lossless"
  rm -rf "$work/$format-smart" "$work/$format-full"
done
