#!/usr/bin/env bash
# Times one whole conversion of a large photo to a 120 x 160 picture with 12 colours:
# mokoa-convert against ImageMagick's convert and libvips' vipsthumbnail, each run several
# times with /usr/bin/time -v; prints the median wall time and the largest peak memory.
#   bench/compare_convert.sh [BUILD_BIN_DIR] [PHOTO] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."

bin=${1:-build/release/bin}
photo=${2:-../shared/testdata/photos/kite-2560x1600.jpg}
runs=${3:-15}

[ -x "$bin/mokoa-convert" ] || { echo "no $bin/mokoa-convert (build with -DCMAKE_BUILD_TYPE=Release)" >&2; exit 2; }
[ -r "$photo" ] || { echo "no photo $photo" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (package time)" >&2; exit 2; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# name, then the command; OUT stands for the output file.
measure() {
    local name=$1
    shift
    if ! command -v "$1" >/dev/null && [ ! -x "$1" ]; then
        printf '%-16s not installed (scripts/install-deps.sh bench)\n' "$name"
        return
    fi
    local walls=() peak=0
    for ((i = 0; i < runs; i++)); do
        local args=("${@//OUT/$out/$name.png}")
        local start end
        start=$(date +%s%N)
        /usr/bin/time -v -o "$out/time.txt" "${args[@]}" >/dev/null 2>"$out/err.txt" || {
            echo "$name failed:" >&2
            cat "$out/err.txt" >&2
            return
        }
        end=$(date +%s%N)
        # time -v reports wall time in centiseconds only; the clock around it is finer.
        local wall rss
        wall=$(((end - start) / 1000))
        rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out/time.txt")
        walls+=("$wall")
        ((rss > peak)) && peak=$rss
    done
    local median
    median=$(printf '%s\n' "${walls[@]}" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
    printf '%-16s %8.1f ms %10d KB   %s\n' "$name" "$(awk -v us="$median" 'BEGIN {print us / 1000}')" \
        "$peak" "$(stat -c %s "$out/$name.png") bytes"
}

echo "photo: $photo, $runs runs each; median wall time (including /usr/bin/time itself), largest peak RSS, output size"
measure mokoa-convert "$bin/mokoa-convert" --profile 22 --whole -o OUT "$photo"
measure convert convert "$photo" -resize '120x160!' -colors 12 OUT
measure vipsthumbnail vipsthumbnail "$photo" --size '120x160!' -o OUT
