#!/usr/bin/env bash
# Rebuilds the bundled default style (assets/Style/WindowsStyle), the demo
# tracks (assets/demo) and the program icon (assets/icons) from the
# generators in tools/. Needs the build
# dependencies and ffmpeg (with libmp3lame and libvorbis).
#
#   tools/regenerate-assets.sh [--preview <png>]
#
# The build goes to build-tools/ (override with BUILD_DIR=...).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-tools}
preview=()
if [ "${1:-}" = "--preview" ]; then
  preview=(--preview "$2")
fi

cmake -S "$root" -B "$build" -DVELMORA_TOOLS=ON >/dev/null
cmake --build "$build" -j2 --target velmora_make_style velmora_make_demo velmora_make_icon
QT_QPA_PLATFORM=offscreen "$build/tools/velmora_make_icon" "$root/assets/icons"

style="$root/assets/Style/WindowsStyle"
QT_QPA_PLATFORM=offscreen "$build/tools/velmora_make_style" "$style" "${preview[@]}"

demo="$root/assets/demo"
mkdir -p "$demo"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$build/tools/velmora_make_demo" midi "$demo/Velmora Demo Tune.mid"
"$build/tools/velmora_make_demo" wav waltz "$tmp/waltz.wav" 44100
"$build/tools/velmora_make_demo" wav rain "$tmp/rain.wav" 44100
"$build/tools/velmora_make_demo" wav chime "$tmp/chime.wav" 22050

# -map_metadata -1 keeps the working files' own fields out of the tags.
ff=(ffmpeg -hide_banner -loglevel error -y)
clean=(-map_metadata -1 -flags:a +bitexact)
"${ff[@]}" -i "$tmp/waltz.wav" "${clean[@]}" -c:a libmp3lame -b:a 96k -id3v2_version 3 \
  -metadata title="夜明けのワルツ" -metadata artist="Velmora サウンド" \
  -metadata album="Velmora デモ" -metadata track=1 "$demo/夜明けのワルツ.mp3"
"${ff[@]}" -i "$tmp/rain.wav" "${clean[@]}" -fflags +bitexact -c:a libvorbis -q:a 3 \
  -metadata title="雨上がりの散歩道" -metadata artist="Velmora サウンド" \
  -metadata album="Velmora デモ" -metadata track=2 "$demo/雨上がりの散歩道.ogg"
"${ff[@]}" -i "$tmp/chime.wav" "${clean[@]}" -c:a pcm_s16le \
  -metadata title="Little Chime" -metadata artist="Velmora Sound" "$demo/Little Chime.wav"

du -ch "$demo"/* | tail -1
