#!/usr/bin/env bash
# One entry point for the README's two set-up commands:
#   scripts/setup.sh run   install what is missing, build, start the player with the demo tracks
#   scripts/setup.sh test  install what is missing, build, run every test
# Further verbs for developers: build, asan (sanitizer build + tests), bench.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
verb=${1:-run}
shift || true

configure() { # $1 build dir, rest: extra cmake arguments
  local dir=$1; shift
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@"
  fi
}
jobs() { nproc 2>/dev/null || echo 2; }

case "$verb" in
  run)
    bash scripts/install-deps.sh
    configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build --target velmora -j "$(jobs)"
    exec bash scripts/run-player.sh build/velmora "$@"
    ;;
  test)
    bash scripts/install-deps.sh
    configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j "$(jobs)"
    cd build && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
      ctest --output-on-failure -j "$(jobs)" "$@"
    ;;
  asan)
    bash scripts/install-deps.sh
    configure build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON
    cmake --build build-asan -j "$(jobs)"
    cd build-asan && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
      ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      ctest --output-on-failure -j "$(jobs)" "$@"
    ;;
  build)
    bash scripts/install-deps.sh
    configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j "$(jobs)"
    ;;
  bench)
    bash scripts/install-deps.sh
    configure build-bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON
    cmake --build build-bench -j "$(jobs)"
    for b in build-bench/bench/bench_*; do [ -x "$b" ] && "$b" "$@"; done
    ;;
  *)
    echo "usage: $0 run|test|asan|build|bench" >&2; exit 2 ;;
esac
