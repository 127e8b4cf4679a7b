#!/usr/bin/env bash
# mokoa-convert at every size from 1 to 64 megapixels beside libvips' vipsthumbnail, a batch
# of 64 photos in one call beside one input after the other, --info on a big photo, and the
# desktop program opening one. The conversions are timed with the classic resampling (goal:
# never slower than vipsthumbnail) and with area means (goal: half its time). The photos are
# made from a shared photo (upscaled with vips) in a temporary folder. Runs alternate between the programs compared; each figure is the
# median wall time of RUNS runs and the largest peak resident memory.
#   bench/size_curve.sh [BUILD_BIN_DIR] [BASELINE_BIN_DIR] [RUNS]
# BASELINE_BIN_DIR, when given, holds an older build whose mokoa-convert and
# mokoa-gui-timing are measured alongside (e.g. one of the main branch); without it the
# batch is compared with the same program held to one processor (taskset -c 0).
set -euo pipefail
cd "$(dirname "$0")/.."

bin=${1:-build/bench/bin}
base=${2:-}
runs=${3:-7}
photo=${PHOTO:-../shared/testdata/photos/kite-2560x1600.jpg}
sizes=${SIZES:-"1 4 16 36 64"}

for tool in vips vipsthumbnail /usr/bin/time taskset; do
    command -v "$tool" >/dev/null || { echo "needs $tool (scripts/install-deps.sh bench)" >&2; exit 2; }
done
[ -x "$bin/mokoa-convert" ] || { echo "no $bin/mokoa-convert" >&2; exit 2; }
[ -z "$base" ] || [ -x "$base/mokoa-convert" ] || { echo "no $base/mokoa-convert" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) processors"

# --- the photos -------------------------------------------------------------------------
# width x height of about MP megapixels with the photo's 16:10 shape, in whole 16 pixels.
shape() {
    awk -v mp="$1" 'BEGIN { w = int(sqrt(mp * 1e6 * 1.6) / 16) * 16; h = int(w / 1.6 / 16) * 16; print w, h }'
}
for mp in $sizes; do
    read -r w h < <(shape "$mp")
    vips thumbnail "$photo" "$work/p$mp.v" "$w" --height "$h" --size force 2>/dev/null
    vips jpegsave "$work/p$mp.v" "$work/base$mp.jpg" --Q 90 2>/dev/null
    vips jpegsave "$work/p$mp.v" "$work/prog$mp.jpg" --Q 90 --interlace 2>/dev/null
    vips pngsave "$work/p$mp.v" "$work/png$mp.png" --compression 6 2>/dev/null
    rm -f "$work/p$mp.v"
done

# --- measuring --------------------------------------------------------------------------
# run NAME COMMAND...: one run; appends "wall_us rss_kb" to $work/NAME.runs.
run() {
    local name=$1
    shift
    local start end
    start=$(date +%s%N)
    if ! /usr/bin/time -f '%M' -o "$work/time.txt" "$@" >"$work/out.txt" 2>"$work/err.txt"; then
        echo "$name failed: $*" >&2
        cat "$work/err.txt" >&2
        return 1
    fi
    end=$(date +%s%N)
    echo "$(((end - start) / 1000)) $(tail -n 1 "$work/time.txt")" >>"$work/$name.runs"
}
median_ms() { sort -n "$work/$1.runs" | awk '{a[NR] = $1} END {printf "%.1f", a[int((NR + 1) / 2)] / 1000}'; }
peak_mb() { awk 'BEGIN {m = 0} $2 > m {m = $2} END {printf "%.1f", m / 1024}' "$work/$1.runs"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
verdict() { awk -v v="$1" -v limit="$2" 'BEGIN {print (v <= limit ? "ok" : "MISSED")}'; }

# table RESAMPLE LIMIT: each size and kind with --resample RESAMPLE beside vipsthumbnail;
# the goal is at most LIMIT times its time (and, for baseline JPEGs, no more memory).
table() {
    local how=$1 limit=$2 mp kind file mt vt mm vm goal extra
    echo
    echo "== To 120 x 160 in 12 colours ($how resampling) beside vipsthumbnail, $runs runs each"
    printf '%-12s %9s %9s %9s %9s %7s %7s  %s\n' picture mokoa_ms vips_ms mokoa_MiB vips_MiB time mem goal
    for mp in $sizes; do
        for kind in base prog png; do
            case $kind in
            base) file=$work/base$mp.jpg ;;
            prog) file=$work/prog$mp.jpg ;;
            png) file=$work/png$mp.png ;;
            esac
            rm -f "$work"/m.runs "$work"/v.runs "$work"/o.runs
            for ((i = 0; i < runs; i++)); do
                run m "$bin/mokoa-convert" --resample "$how" --profile 22 --whole -o "$work/m.png" "$file"
                run v vipsthumbnail "$file" --size '120x160!' -o "$work/v.png"
                [ -z "$base" ] || run o "$base/mokoa-convert" --resample "$how" --profile 22 --whole -o "$work/o.png" "$file"
            done
            if [ -n "$base" ] && [ "$how" = classic ] && ! cmp -s "$work/m.png" "$work/o.png"; then
                echo "  $kind$mp: the output differs from the baseline's" >&2
            fi
            mt=$(median_ms m) vt=$(median_ms v) mm=$(peak_mb m) vm=$(peak_mb v)
            goal="time $(verdict "$mt" "$(awk -v v="$vt" -v l="$limit" 'BEGIN {print v * l}')")"
            [ "$kind" = base ] && goal="$goal, memory $(verdict "$mm" "$vm")"
            extra=
            [ -z "$base" ] || extra="  (before: $(median_ms o) ms, $(peak_mb o) MiB)"
            printf '%-12s %9s %9s %9s %9s %7s %7s  %s%s\n' "$kind ${mp}MP" "$mt" "$vt" "$mm" "$vm" \
                "$(ratio "$mt" "$vt")" "$(ratio "$mm" "$vm")" "$goal" "$extra"
        done
    done
}
table classic 1
table area 0.5

# --- a batch of 64 photos ---------------------------------------------------------------
echo
mkdir -p "$work/batch"
for i in $(seq 1 64); do
    # Photos of 3 to 8 megapixels, each of its own size and quality.
    w=$((2048 + 24 * i)) h=$((1536 + 12 * i))
    vips thumbnail "$photo" "$work/batch/photo$i.jpg[Q=$((80 + i % 15))]" "$w" --height "$h" --size force 2>/dev/null
done
rm -f "$work"/b.runs "$work"/s.runs
for ((i = 0; i < runs; i++)); do
    rm -rf "$work/all" "$work/seq"
    run b "$bin/mokoa-convert" --profile 22 -o "$work/all" "$work"/batch/*.jpg
    if [ -n "$base" ]; then
        run s "$base/mokoa-convert" --profile 22 -o "$work/seq" "$work"/batch/*.jpg
    else
        run s taskset -c 0 "$bin/mokoa-convert" --profile 22 -o "$work/seq" "$work"/batch/*.jpg
    fi
done
same=identical
diff -rq "$work/all" "$work/seq" >/dev/null || same=DIFFERENT
echo "== 64 photos (3 to 8 MP) in one call, $runs runs: $(median_ms b) ms on every processor," \
    "$(median_ms s) ms $([ -n "$base" ] && echo 'before' || echo 'on one processor');" \
    "$(ratio "$(median_ms s)" "$(median_ms b)") x faster (goal 1.8), outputs $same"

# --- --info on the biggest photo --------------------------------------------------------
big=$(echo "$sizes" | tr ' ' '\n' | sort -n | tail -n 1)
rm -f "$work"/i.runs
for ((i = 0; i < 3 * runs; i++)); do
    run i "$bin/mokoa-convert" --info "$work/base$big.jpg"
done
echo "== --info on the ${big} MP JPEG: $(median_ms i) ms, $(peak_mb i) MiB ($(verdict "$(median_ms i)" 20) against 20 ms)"

# --- the desktop program opening the biggest photo --------------------------------------
if [ -x "$bin/mokoa-gui-timing" ] && command -v xvfb-run >/dev/null; then
    export HOME="$work" XDG_CONFIG_HOME="$work/.config" XDG_RUNTIME_DIR="$work"
    chmod 700 "$work"
    # open BIN_DIR NAME: the time to open and show the picture, and the program's peak memory.
    open_big() {
        xvfb-run -a -s "-screen 0 1280x1024x24" /usr/bin/time -f '%M' -o "$work/gtime.txt" \
            "$1/mokoa-gui-timing" --open "$work/base$big.jpg" >"$work/gui.txt" 2>/dev/null
        awk '/picture opened and shown/ {printf "%d ", $5 * 1000}' "$work/gui.txt" >>"$work/$2.runs"
        tail -n 1 "$work/gtime.txt" >>"$work/$2.runs"
    }
    rm -f "$work"/g.runs "$work"/h.runs
    for ((i = 0; i < runs; i++)); do
        open_big "$bin" g
        [ -z "$base" ] || [ ! -x "$base/mokoa-gui-timing" ] || open_big "$base" h
    done
    extra=
    [ ! -s "$work/h.runs" ] || extra=" (before: $(median_ms h) ms, $(peak_mb h) MiB)"
    # 250 MB are 238.4 MiB.
    echo "== Opening the ${big} MP JPEG in the window: $(median_ms g) ms, $(peak_mb g) MiB" \
        "($(verdict "$(median_ms g)" 250) against 250 ms, $(verdict "$(peak_mb g)" 238.4) against 250 MB)$extra"
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
