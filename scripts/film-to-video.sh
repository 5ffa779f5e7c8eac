#!/usr/bin/env bash
# Turns the frames written by `fraymark --render-film DIR` into a finished video at a
# constant 30 frames per second: H.264 in an MP4, or VP9 in a WebM when OUT ends in .webm.
#
#   film-to-video.sh DIR OUT.mp4
#   film-to-video.sh DIR OUT.webm
#
# Needs ffmpeg (Debian package "ffmpeg"); Fraymark itself never does.
set -uo pipefail

say() { echo "film-to-video: $*" >&2; }

if [ $# -ne 2 ]; then
  echo "usage: $(basename "$0") FILM_DIR OUT.mp4|OUT.webm" >&2
  exit 2
fi
dir=$1
out=$2
list=$dir/frames.txt

case "${out,,}" in
  *.mp4) codec=(-c:v libx264 -preset medium -crf 18 -movflags +faststart) ;;
  *.webm) codec=(-c:v libvpx-vp9 -crf 31 -b:v 0 -row-mt 1 -deadline good -cpu-used 4) ;;
  *)
    say "$out: the name must end in .mp4 or .webm"
    exit 2
    ;;
esac
if [ ! -f "$list" ]; then
  say "$list is missing; write the film first: fraymark --render-film $dir"
  exit 1
fi
if ! command -v ffmpeg >/dev/null 2>&1; then
  say "ffmpeg is not installed; run: sudo apt-get install ffmpeg"
  exit 1
fi

# ffmpeg times still images on a 1/25 s grid, which would merge frames captured 1/60 s
# apart: a copy of the list (absolute paths, so it can live elsewhere) asks for 1 ms.
fine=$(mktemp --suffix=.ffconcat) || exit 1
trap 'rm -f "$fine"' EXIT
abs=$(cd "$dir" && pwd) || exit 1
# Inside single quotes ffmpeg takes everything literally but the quote itself.
FILM_DIR=$abs awk -v sq="'" '
  /^file / {
    path = ENVIRON["FILM_DIR"] "/" substr($0, 6)
    gsub(sq, sq "\\\\" sq sq, path)
    print "file " sq path sq
    print "option framerate 1000"
    next
  }
  { print }' "$list" >"$fine"

# The list holds every frame for as long as it was on screen while captured; the fps
# filter samples that at 30 frames a second. yuv420p plays everywhere and wants even sides.
if ! ffmpeg -hide_banner -loglevel error -nostdin -y -f concat -safe 0 -i "$fine" \
  -vf "fps=30,scale=trunc(iw/2)*2:trunc(ih/2)*2,format=yuv420p" -an "${codec[@]}" "$out"; then
  say "ffmpeg could not make $out"
  exit 1
fi
echo "wrote $out"
