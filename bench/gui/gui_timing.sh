#!/usr/bin/env bash
# Start-up and picture-opening times of the desktop program under a virtual X server.
#   bench/gui/gui_timing.sh BUILD_DIR [PICTURE]
# Without a picture a 5120 x 2880 JPEG is made from a shared test photo.
set -euo pipefail
build=${1:?build folder}
picture=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -z "$picture" ]; then
  photo=$(ls "$(dirname "$0")"/../../../shared/testdata/photos/*.jpg | head -n 1)
  picture="$work/big.jpg"
  convert "$photo" -resize '5120x2880!' -quality 90 "$picture"
fi
export HOME="$work" XDG_CONFIG_HOME="$work/.config" XDG_RUNTIME_DIR="$work"
for run in 1 2 3; do
  echo "-- run $run"
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/mokoa-gui-timing" --open "$picture"
done
