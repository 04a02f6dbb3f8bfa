#!/usr/bin/env bash
# What "Same as source" (format 11) costs and keeps against the stream-copy limit,
# ffmpeg -ss A -to B -i SRC -c copy, on three sources users have: a 1080p HEVC
# 10-bit MOV (AAC), a 1080p60 H.264 MKV with two AAC tracks ("eng", "fra") and a
# keyframe every 5 s, and a DVD PAL MPEG-2 program stream. Each is cut in 3 equal
# parts and at 7 points off its keyframe grid. For each source and plan:
#   - wall time of quillmark-cli split --format 11 and of the copies, median of 3
#     runs (RUNS=n for another number) taken in turn, and their ratio;
#   - frames: the parts' video packets against the source's frames in their spans
#     ("+0" when none is lost or repeated), and the copies' extra frames (a copy
#     starts on the keyframe before its cut);
#   - the share of the parts' frames that decode bit for bit as the source's frame
#     at the same time (ffmpeg -f framemd5, the source's hashes kept beside it);
#   - the PSNR of the re-encoded stretches: average and lowest of the frames that
#     are not identical, part against source (ffmpeg's psnr filter).
# Prints a Markdown table. The sources are made once and kept in the bench media folder.
#
# Usage: [SHORT=1] [RUNS=n] bench/same_as_source.sh [build folder]   (default ./build; SHORT=1: 1-minute sources)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${QUILLMARK_BUILD_DIR:-$here/build}}"
cli="$build/bin/quillmark-cli"
[ -x "$cli" ] || { echo "no $cli: build quillmark-cli first" >&2; exit 1; }
duration=600
runs="${RUNS:-3}"
[ "${SHORT:-0}" = 1 ] && duration=60
media="${QUILLMARK_BENCH_MEDIA:-$build/bench-media}/same-as-source"
mkdir -p "$media"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench_media.sh
source "$here/bench/bench_media.sh"

tone() { echo "sine=frequency=$1:sample_rate=48000:duration=$duration"; }

mov="$media/hevc10-1080p-${duration}s.mov"
make_source "$mov" -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=$duration" -f lavfi -i "$(tone 440)" \
  -c:v libx265 -preset ultrafast -pix_fmt yuv420p10le -x265-params log-level=error:keyint=60 -tag:v hvc1 \
  -c:a aac -b:a 128k
mkv="$media/h264-1080p60-2aac-${duration}s.mkv"
make_source "$mkv" -f lavfi -i "testsrc2=size=1920x1080:rate=60:duration=$duration" -f lavfi -i "$(tone 440)" \
  -f lavfi -i "$(tone 660)" -map 0 -map 1 -map 2 -c:v libx264 -preset ultrafast -pix_fmt yuv420p \
  -g 300 -keyint_min 300 -sc_threshold 0 -c:a aac -b:a 128k \
  -metadata:s:a:0 language=eng -metadata:s:a:1 language=fra
dvd="$media/dvd-pal-${duration}s.mpg"
make_source "$dvd" -f lavfi -i "testsrc2=size=720x576:rate=25:duration=$duration" -f lavfi -i "$(tone 440)" \
  -ac 2 -target pal-dvd -aspect 16:9

# Copying must be on and the re-encoded frames as good as the source.
settings="$work/settings.ini"
printf '[general]\nsmartrender=1\nvideoonly=0\n[source]\nquality=0\n' >"$settings"

# Seven points off every source's keyframe grid (2 s, 5 s and 0.6 s), scaled to its length.
points() { awk -v d="$duration" 'BEGIN { n = split("37.3 101.7 173.9 251.3 329.1 417.7 523.9", p, " ");
  for (i = 1; i <= n; i++) printf "%s%.2f", (i > 1 ? "," : ""), p[i] * d / 600 }'; }

# The parts' spans "A B" a line: thirds of the length quillmark-cli measures, or between the points.
spans() {
  local source="$1" plan="$2" total
  total=$("$cli" probe "$source" | head -n 1)
  if [ "$plan" = thirds ]; then
    awk -v t="$total" 'BEGIN { for (k = 0; k < 3; k++) printf "%.6f %.6f\n", k * t / 3, (k + 1) * t / 3 }'
  else
    awk -v t="$total" -v p="0,$(points)" 'BEGIN { n = split(p, v, ","); v[n + 1] = t;
      for (i = 1; i <= n; i++) printf "%.6f %.6f\n", v[i], v[i + 1] }'
  fi
}

now() { date +%s.%N; }

run_quillmark() {
  local source="$1" plan="$2" out="$3"
  rm -rf "$out" && mkdir -p "$out"
  local how=(--parts 3)
  [ "$plan" = points ] && how=(--points "$(points)")
  "$cli" --settings "$settings" split "$source" "${how[@]}" --format 11 --out "$out" >/dev/null 2>"$work/stderr" || {
    echo "failed: quillmark-cli split $source ${how[*]} --format 11" >&2; cat "$work/stderr" >&2; exit 1; }
}

# Data streams (a DVD's navigation packets) cannot go into a program stream again; everything else is copied.
run_copy() {
  local source="$1" out="$2" base="$3" ext="$4" k=0 a b
  rm -rf "$out" && mkdir -p "$out"
  # The spans come on their own descriptor: ffmpeg and ffprobe read standard input.
  while read -r a b <&3; do
    k=$(( k + 1 ))
    ffmpeg -v error -y -ss "$a" -to "$b" -i "$source" -map 0:v -map "0:a?" -map "0:s?" -c copy "$out/$base-$k.$ext" </dev/null
  done 3<"$work/spans"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The source's picture times in seconds from the start of the file, as -ss counts them, sorted.
picture_times() {
  local start
  start=$(ffprobe -v error -show_entries format=start_time -of csv=p=0 "$1")
  ffprobe -v error -select_streams v:0 -show_entries packet=pts_time -of csv=p=0 "$1" |
    awk -v s="$start" '$1 != "N/A" { printf "%.6f\n", $1 - s }' | sort -g
}

packets() {
  ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of default=nw=1:nk=1 "$1" |
    head -n 1
}
# One MD5 a decoded picture, in showing order; extra input options go in front of the file.
hashes() {
  local file="${*: -1}"
  ffmpeg -v error "${@:1:$#-1}" -i "$file" -map 0:v:0 -f framemd5 - | grep -v '^#' | awk -F, '{ gsub(/ /, "", $6); print $6 }'
}
# The whole source's hashes, made once and kept beside it: a seek into a program
# stream lands late, so the source is always read from its start.
source_hashes() {
  [ -f "$1.md5" ] || hashes "$1" >"$1.md5"
  echo "$1.md5"
}
# Per-frame PSNR of `part` against `count` source frames from frame `first`, one
# "psnr_avg" value a line ("inf" when identical). Frames are paired by their
# place, not their times: Matroska rounds times to the millisecond, so at 60 fps a
# part and its source round differently and the filter would pair neighbours.
frame_psnr() {
  local part="$1" source="$2" first="$3" count="$4"
  ffmpeg -v error -i "$part" -i "$source" -lavfi \
    "[0:v]setpts=N/FRAME_RATE/TB[p];[1:v]trim=start_frame=$first:end_frame=$(( first + count )),setpts=N/FRAME_RATE/TB[s];[p][s]psnr=shortest=1:stats_file=$work/psnr.log" \
    -f null - </dev/null
  sed -n 's/.*psnr_avg:\([^ ]*\).*/\1/p' "$work/psnr.log"
}

# Prints "written expected parts_off identical psnr_avg psnr_min copy_extra" for the parts of one run.
check_parts() {
  local source="$1" qdir="$2" cdir="$3" base="$4" ext="$5"
  local k=0 a b part written=0 expected=0 off=0 identical=0 extra=0 n e first same all
  : >"$work/psnr.all"
  picture_times "$source" >"$work/src.times"
  all=$(source_hashes "$source")
  while read -r a b <&3; do
    k=$(( k + 1 ))
    part="$qdir/$base-$k.$ext"
    [ -f "$part" ] || { echo "missing part $part" >&2; exit 1; }
    # The source's pictures that show from A up to, not including, B.
    first=$(awk -v a="$a" '$1 < a - 1e-4 { n++ } END { print n + 0 }' "$work/src.times")
    e=$(awk -v a="$a" -v b="$b" '$1 >= a - 1e-4 && $1 < b - 1e-4 { n++ } END { print n + 0 }' "$work/src.times")
    sed -n "$(( first + 1 )),$(( first + e ))p" "$all" >"$work/src.md5"
    hashes "$part" >"$work/part.md5"
    n=$(packets "$part")
    written=$(( written + n )); expected=$(( expected + e ))
    [ "$n" -eq "$e" ] || off=$(( off + 1 ))
    same=$(paste -d' ' "$work/part.md5" "$work/src.md5" | awk '$1 == $2 { n++ } END { print n + 0 }')
    identical=$(( identical + same ))
    # Only parts with encoded frames are decoded again for their PSNR.
    if [ "$same" -lt "$n" ]; then
      frame_psnr "$part" "$source" "$first" "$e" | grep -v '^inf$' >>"$work/psnr.all" || true
    fi
    extra=$(( extra + $(packets "$cdir/$base-$k.$ext") - e ))
  done 3<"$work/spans"
  awk -v w="$written" -v e="$expected" -v off="$off" -v same="$identical" -v x="$extra" '
    { s += $1; if (low == "" || $1 + 0 < low + 0) low = $1; n++ }
    END { printf "%d %d %d %d %s %s %d\n", w, e, off, same, (n ? sprintf("%.2f", s / n) : "-"),
          (n ? sprintf("%.2f", low) : "-"), x }' "$work/psnr.all"
}

echo "sources of ${duration} s; times are the median of $runs runs, quillmark and copy in turn" >&2
echo "| source | plan | quillmark (s) | copy (s) | quillmark/copy | frames written/source | parts off | copy's extra frames | identical | PSNR encoded avg/min (dB) |"
echo "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|"
for entry in "H.264 1080p60 MKV|$mkv" "DVD PAL MPEG-2|$dvd" "HEVC 10-bit MOV|$mov"; do
  IFS='|' read -r name source <<<"$entry"
  base=$(basename "${source%.*}")
  ext="${source##*.}"
  ext="${ext,,}"
  for plan in thirds points; do
    spans "$source" "$plan" >"$work/spans"
    : >"$work/q.times"; : >"$work/c.times"
    for (( run = 1; run <= runs; run++ )); do
      t0=$(now); run_quillmark "$source" "$plan" "$work/q"; t1=$(now)
      run_copy "$source" "$work/c" "$base" "$ext"; t2=$(now)
      awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }' >>"$work/q.times"
      awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }' >>"$work/c.times"
    done
    q=$(median <"$work/q.times"); c=$(median <"$work/c.times")
    read -r written expected off identical avg low extra < <(check_parts "$source" "$work/q" "$work/c" "$base" "$ext")
    label="3 equal parts"
    [ "$plan" = points ] && label="7 points"
    awk -v n="$name" -v l="$label" -v q="$q" -v c="$c" -v w="$written" -v e="$expected" -v off="$off" \
        -v x="$extra" -v same="$identical" -v avg="$avg" -v low="$low" 'BEGIN {
      printf "| %s | %s | %.2f | %.2f | %.1f | %d/%d (%+d) | %d | %+d | %.1f %% | %s/%s |\n",
             n, l, q, c, (c > 0 ? q / c : 0), w, e, w - e, off, x, (w > 0 ? 100 * same / w : 0), avg, low }'
  done
done
