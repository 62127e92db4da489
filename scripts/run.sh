#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Without a display it runs
# under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQW_BUILD_BENCH=OFF
cmake --build build -j "$(nproc)" --target quillwatch
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" build/src/app/quillwatch
fi
exec build/src/app/quillwatch
