#!/usr/bin/env bash
# A file manager-style drag onto the join list of a running Quillmark, on a real
# X server: Xvfb with a window manager, the drag source standing in for the file
# manager, xdotool moving the mouse. Two files the join takes and one it refuses
# are dragged; the page must list the two, refuse the third, and join them in the
# order dropped (a 2 s clip, then a 4 s picture). The picture's row is then
# dragged above the clip's, and the next join starts with the picture.
#
# Usage: drag_to_join.sh BUILD_DIR [SCREENSHOT_FOLDER]
# Needs Xvfb, openbox, xdotool and ffmpeg; xwd and ImageMagick's convert for shots.
set -euo pipefail

build=$(cd "$1" && pwd)
shots=${2:-}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "drag_to_join: $*" >&2
  [ -n "$shots" ] && shoot failed || true
  exit 1
}
shoot() {
  [ -n "$shots" ] || return 0
  mkdir -p "$shots"
  xwd -root -display "$DISPLAY" | convert xwd:- "png:$shots/$1.png"
}
wait_for_window() {  # name -> window id
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || fail "no window named $1"
  echo "$id"
}

# A display nobody uses.
for n in $(seq 70 99); do
  [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
export DISPLAY=$display
# Both programs talk to the X server, whatever the caller's tests use.
export QT_QPA_PLATFORM=xcb
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
# Windows opened before the window manager manages them are placed by nobody:
# wait until it says it has started, however busy the machine is.
openbox --startup "touch $work/wm-ready" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 300); do [ -e "$work/wm-ready" ] && break; sleep 0.1; done

# The program runs from a folder of its own, so its settings file lands there,
# with a home folder of its own as the default output folder.
mkdir -p "$work/app" "$work/home" "$work/media dir"
cp "$build/bin/quillmark" "$build/bin/tips.txt" "$build/bin/support.ini" "$work/app/"
clip="$work/media dir/clip one.avi"
picture="$work/media dir/photo ü.jpg"
ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=2 -f lavfi -i sine=duration=2 \
  -c:v mpeg4 -c:a libmp3lame "$clip"
ffmpeg -v error -y -f lavfi -i color=c=orange:size=320x240 -frames:v 1 "$picture"
echo notes > "$work/media dir/notes.txt"

(cd "$work/app" && HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  exec ./quillmark >"$work/quillmark.log" 2>&1) &
pids+=($!)
main=$(wait_for_window '^Quillmark$')
xdotool windowmove "$main" 500 100
sleep 0.5

# The Getting Started page's Join command, then the join page.
xdotool mousemove --window "$main" 283 240 click 1
sleep 0.5
shoot join_page_empty

"$build/tests/bin/drag_source" "$clip" "$picture" "$work/media dir/notes.txt" >"$work/source.out" 2>/dev/null &
pids+=($!)
source=$(wait_for_window '^Drag source$')
xdotool windowmove "$source" 0 0
sleep 0.5
xdotool mousemove --window "$source" 100 60 mousedown 1
for _ in 1 2 3 4 5 6; do xdotool mousemove_relative 5 5; sleep 0.05; done
# Into the list, and a little further so the target hears where the drop is.
xdotool mousemove --window "$main" 175 150
sleep 0.3
xdotool mousemove --window "$main" 180 160
sleep 0.3
xdotool mouseup 1
for _ in $(seq 50); do [ -s "$work/source.out" ] && break; sleep 0.1; done
[ "$(cat "$work/source.out")" = dropped ] || fail "the join list did not take the drop"

# One box names the refused file; it is closed with Return.
box=$(wait_for_window '^Quillmark$' >/dev/null; xdotool search --onlyvisible --name '^Quillmark$' | grep -v "^$main$" | head -1 || true)
[ -n "$box" ] || fail "no message about the refused file"
sleep 1
shoot join_page_dropped
xdotool windowactivate --sync "$box" key Return
sleep 0.5

# Alt+J joins into the home folder as Untitled.avi.
out="$work/home/Untitled.avi"
join() {
  rm -f "$out"
  xdotool windowactivate --sync "$main" key alt+j
  for _ in $(seq 300); do [ -s "$out" ] && break; sleep 0.1; done
  [ -s "$out" ] || fail "no joined file"
  sleep 1
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$out")
  awk -v d="$duration" 'BEGIN { exit !(d > 5.8 && d < 6.3) }' || fail "joined file lasts $duration s, not 6"
}
# Whether the output's picture at a time is the orange photo.
orange_at() {
  local r g b
  read -r r g b <<<"$(ffmpeg -v error -ss "$1" -i "$out" -frames:v 1 -vf scale=1:1 -f rawvideo -pix_fmt rgb24 - |
    od -An -tu1 | xargs)"
  [ "$r" -gt 200 ] && [ "$g" -gt 100 ] && [ "$g" -lt 200 ] && [ "$b" -lt 80 ]
}
close_box() {  # the "Task Complete!" box, with Return
  local id
  id=$(xdotool search --onlyvisible --name '^Information$' | head -1)
  [ -n "$id" ] || fail "no Task Complete box"
  xdotool windowactivate --sync "$id" key Return
  sleep 0.5
}

# In the order dropped: the 2 s clip, then the 4 s picture.
join
shoot join_complete
orange_at 4.5 || fail "the picture is not last"
! orange_at 0.5 || fail "the picture came first"
close_box

# The picture's row dragged above the clip's: now it comes first.
xdotool mousemove --window "$main" 120 123 mousedown 1
for _ in 1 2 3 4 5 6; do xdotool mousemove_relative -- 0 -3; sleep 0.05; done
xdotool mousemove --window "$main" 120 89
sleep 0.3
xdotool mousemove --window "$main" 121 88
sleep 0.3
xdotool mouseup 1
sleep 0.5
shoot join_page_moved
join
# The picture's transition in from black lasts its first 2 s.
orange_at 3 || fail "the dragged picture is not first"
! orange_at 5 || fail "the clip is not last after the drag"
echo "drag_to_join: passed"
