#!/usr/bin/env bash
# Starts the built player. Without a display it runs on a virtual one (Xvfb);
# without a sound device it plays through SDL's silent "dummy" driver.
# On the first start (no list was ever saved) it opens the bundled demo tracks.
set -euo pipefail
exe=$1; shift
exe_dir=$(cd "$(dirname "$exe")" && pwd)
home=${VELMORA_HOME:-$exe_dir}
args=("$@")
if [ ${#args[@]} -eq 0 ] && [ ! -f "$home/Playlist/AutoPlaylist.m3u" ] && [ ! -f "$home/OpenPlaylist.txt" ] \
   && [ -d "$exe_dir/demo" ]; then
  for f in "$exe_dir"/demo/*; do [ -f "$f" ] && args+=("$f"); done
fi
if [ -z "${SDL_AUDIODRIVER:-}" ]; then
  if ! ls /dev/snd/pcm* >/dev/null 2>&1 && [ -z "${PULSE_SERVER:-}" ] \
     && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ] \
     && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pipewire-0" ]; then
    echo "No sound device found: playing through SDL's silent 'dummy' driver."
    export SDL_AUDIODRIVER=dummy
  fi
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running the player on a virtual display (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$exe" "${args[@]}"
fi
exec "$exe" "${args[@]}"
