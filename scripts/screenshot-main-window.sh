#!/usr/bin/env bash
# Takes the picture of the main window shown in README (docs/main-window.png):
# builds, starts the window on a private virtual X display and captures it.
#
#   scripts/screenshot-main-window.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure-packages.sh
orvel_ensure_packages "${ORVEL_PACKAGES[@]}" imagemagick x11-utils
orvel_build
output=${1:-docs/main-window.png}
export LANG=C.UTF-8

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
window_pid=
trap 'kill $window_pid $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done

build/orvel-updater &
window_pid=$!
window=
for _ in $(seq 100); do
  window=$(xwininfo -root -tree | awk '/DataBase Updater for Orvel/ {print $1; exit}')
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1  # let it paint
import -window "$window" "$output"
echo "wrote $output"
