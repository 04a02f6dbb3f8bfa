# Sourced by the benchmarks that make their own sources with the ffmpeg command line.

# Made under a temporary name so a run stopped half-way leaves no short source behind.
make_source() {
  local file="$1"; shift
  [ -f "$file" ] && return
  echo "making $(basename "$file") ..." >&2
  ffmpeg -v error -y "$@" "$file.part.${file##*.}"
  mv "$file.part.${file##*.}" "$file"
}
