#!/usr/bin/env python3
"""Fit to the carriers' limits against the best other way to reach them.

For both shared photos at profiles 16 (96 x 130), 22 (120 x 160) and the custom size
180 x 180, and for each carrier (J-Sky: PNG or JPEG within 6000 bytes, EZweb: PNG
within 7000), prints the PSNR against the base image of
  - mokoa-convert --fit,
  - the best anchor: every classic format whose saved file fits, pngquant at its best
    colour count that fits (with and without --nofs) and, for J-Sky, ImageMagick's
    -define jpeg:extent=6000,
and the gain. PSNR comes from ImageMagick's compare on the files as written.

  bench/fit_anchors.py [BUILD_BIN_DIR] [TESTDATA_DIR]

BUILD_BIN_DIR defaults to build/test/bin, TESTDATA_DIR to ../shared/testdata.

Needs pngquant and ImageMagick (scripts/install-deps.sh bench).
"""
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
# The test build (scripts/run-tests.sh) configures the benchmarks too.
BIN = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build", "test", "bin")
DATA = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "..", "..", "shared", "testdata")
CONVERT = os.environ.get("CONVERT", "convert")
COMPARE = os.environ.get("COMPARE", "compare")
MOKOA = os.path.join(BIN, "mokoa-convert")

PHOTOS = ["cups-2560x1600.jpg", "kite-2560x1600.jpg"]
SIZES = [("96x130", ["--profile", "16"]), ("120x160", ["--profile", "22"]),
         ("180x180", ["--profile", "0", "--size", "180x180"])]
CARRIERS = [("jsky", "J-Sky", 6000, True), ("ezweb", "EZweb", 7000, False)]
CLASSIC = 15
JPEG_FORMATS = range(11, 15)


def run(args, check=True):
    return subprocess.run(args, capture_output=True, text=True, check=check)


def convert(args):
    """mokoa-convert; exit status 3 only says a file is over a limit."""
    result = run([MOKOA] + args, check=False)
    if result.returncode not in (0, 3):
        sys.exit(f"mokoa-convert {' '.join(args)} failed:\n{result.stderr}")
    return result


def psnr(base, other):
    out = run([COMPARE, "-metric", "PSNR", base, other, "null:"], check=False).stderr
    value = out.split()[0] if out.split() else "nan"
    return float("inf") if value == "inf" else float(value)


def fits(path, limit, png_only):
    if png_only and not path.endswith(".png"):
        return False
    return os.path.getsize(path) <= limit


def pngquant_sweep(base, folder):
    """(name, path) for every colour count, with and without dithering."""
    jobs = []
    for nofs in (False, True):
        for n in range(2, 257):
            out = os.path.join(folder, f"pq-{n}{'-nofs' if nofs else ''}.png")
            args = ["pngquant", "--force", "--output", out] + (["--nofs"] if nofs else [])
            jobs.append((f"pngquant {n}{' --nofs' if nofs else ''}", out, args + [str(n), base]))
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        list(pool.map(lambda j: run(j[2]), jobs))
    return [(name, out) for name, out, _ in jobs]


def main():
    for tool in (MOKOA, "pngquant", CONVERT, COMPARE):
        if not shutil.which(tool):
            sys.exit(f"{tool} not found (build mokoa-convert; scripts/install-deps.sh bench)")
    rows = []
    with tempfile.TemporaryDirectory() as tmp:
        for photo in PHOTOS:
            source = os.path.join(DATA, "photos", photo)
            for size, selection in SIZES:
                folder = os.path.join(tmp, photo + size)
                os.makedirs(folder)
                base = os.path.join(folder, "base.png")
                # Full colour PNG: the base image itself, losslessly.
                convert(selection + ["--format", "10", "-o", base, source])
                candidates = []  # (name, path, psnr)
                for f in range(CLASSIC):
                    path = os.path.join(folder, f"classic-{f}" + (".jpg" if f in JPEG_FORMATS else ".png"))
                    convert(selection + ["--format", str(f), "-o", path, source])
                    candidates.append((f"format {f}", path))
                candidates += pngquant_sweep(base, folder)
                extent = os.path.join(folder, "extent.jpg")
                run([CONVERT, base, "-define", "jpeg:extent=6000", extent])
                candidates.append(("ImageMagick jpeg:extent=6000", extent))
                scored = {path: psnr(base, path) for _, path in candidates}
                for carrier, label, limit, takes_jpeg in CARRIERS:
                    anchors = [(scored[p], -os.path.getsize(p), name, p) for name, p in candidates
                               if fits(p, limit, not takes_jpeg)
                               and (takes_jpeg or not name.startswith("ImageMagick"))]
                    best = max(anchors)
                    out = os.path.join(folder, "fit-" + carrier)
                    os.makedirs(out)
                    start = time.perf_counter()
                    res = convert(selection + ["--fit", carrier, "-o", out, source])
                    seconds = time.perf_counter() - start
                    fitted = os.path.join(out, os.listdir(out)[0])
                    chosen = re.search(r"以内: (.*?) \d+バイト", res.stdout).group(1)
                    rows.append((photo.split("-")[0], size, label, best[2], -best[1], best[0],
                                 chosen, os.path.getsize(fitted), psnr(base, fitted), limit, seconds))
    print("| photo | size | carrier | best anchor | bytes | PSNR | fit | bytes | PSNR | gain | run |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    gains = []
    for photo, size, label, aname, asize, apsnr, fname, fsize, fpsnr, limit, seconds in rows:
        gain = fpsnr - apsnr
        gains.append(gain)
        flag = "" if fsize <= limit and gain >= 0 else " **!**"
        print(f"| {photo} | {size} | {label} | {aname} | {asize} | {apsnr:.2f} | {fname} | {fsize} | "
              f"{fpsnr:.2f} | {gain:+.2f}{flag} | {seconds:.2f} s |")
    print(f"\nmean gain {sum(gains) / len(gains):+.2f} dB over {len(gains)} cases; "
          f"worst {min(gains):+.2f} dB; every fit within its limit: "
          f"{all(r[7] <= r[9] for r in rows)}")


if __name__ == "__main__":
    main()
