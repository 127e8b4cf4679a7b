#!/usr/bin/env python3
"""Fit to a carrier's limit against the best other way to reach it, scored on the photo.

For each photo at 96 x 130, 120 x 160 and 180 x 180, the crop is the selection the
converter takes by default (the largest rectangle of the target's shape, centred). Every
candidate file is scored by PSNR against a reference computed here with numpy: the area
average of the crop (each target pixel the mean of the photo area it covers, rounded).

Candidates, all within the carrier's limit (J-Sky: PNG or JPEG of at most 6000 bytes;
EZweb: PNG of at most 7000):
  - mokoa-convert --fit with --resample classic, area and lanczos;
  - anchors: ImageMagick -resize + pngquant's best colour count (with and without
    --nofs; the count where the files cross the limit and the 8 on either side), Pillow's
    Lanczos + pngquant likewise, ImageMagick -define jpeg:extent,
    Pillow's optimised JPEG at 4:4:4 and 4:2:0 at the best quality that fits (JPEG only
    for J-Sky).
Prints a table per case with the area fit's gain over the best anchor (marked **!** when
below it or over the limit), then the mean and worst gain.

  bench/fit_anchors.py [BUILD_BIN_DIR] [TESTDATA_DIR] [--photo FILE]... [--carrier ezweb]
                       [--sizes 120x160,...]

BUILD_BIN_DIR defaults to build/test/bin, TESTDATA_DIR to ../shared/testdata (its two
photos are always used; --photo adds more, e.g. from mate-backgrounds). Needs pngquant,
ImageMagick, Pillow and numpy (scripts/install-deps.sh bench); run it with Debian's
python3.
"""
import argparse
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import numpy as np
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = os.environ.get("CONVERT", "convert")
SIZES = [(96, 130), (120, 160), (180, 180)]
CARRIERS = {"jsky": ("J-Sky", 6000, True), "ezweb": ("EZweb", 7000, False)}


def run(args, check=True):
    return subprocess.run(args, capture_output=True, text=True, check=check)


def centred_crop(width, height, w, h):
    """The converter's default selection (FitAspectRect of the whole picture)."""
    if width * h < height * w:
        nh = int(width / w * h)
        top = (height - nh) // 2
        return 0, top, width, top + nh
    nw = int(w * (height / h))
    left = (width - nw) // 2
    return left, 0, left + nw, height


def area_matrix(n, d):
    """d x n weights: target pixel j covers [j n / d, (j + 1) n / d) of the source."""
    m = np.zeros((d, n))
    for j in range(d):
        lo, hi = j * n / d, (j + 1) * n / d
        for k in range(int(lo), min(n, int(np.ceil(hi)))):
            m[j, k] = max(0.0, min(hi, k + 1) - max(lo, k))
    return m / m.sum(axis=1, keepdims=True)


def area_reference(crop, w, h):
    """The crop (H x W x 3) averaged over each target pixel's area, rounded half up."""
    a = crop.astype(np.float64)
    rows = area_matrix(a.shape[0], h)
    cols = area_matrix(a.shape[1], w)
    out = np.einsum("ij,jkc->ikc", rows, a, optimize=True)
    out = np.einsum("ikc,lk->ilc", out, cols, optimize=True)
    # Exact halves round up; the hair keeps float error from turning them down.
    return np.floor(out + 0.5 + 1e-7).clip(0, 255).astype(np.uint8)


def psnr(reference, picture):
    d = reference.astype(np.float64) - picture.astype(np.float64)
    mse = np.mean(d * d)
    return float("inf") if mse == 0 else 10 * np.log10(255.0 ** 2 / mse)


def decode(path_or_bytes):
    src = io.BytesIO(path_or_bytes) if isinstance(path_or_bytes, bytes) else path_or_bytes
    return np.asarray(Image.open(src).convert("RGB"))


def best_pngquant(picture_png, folder, tag, limit, reference):
    """(psnr, bytes, name) of pngquant's best colour count within the limit, or None: the
    count where the files cross the limit is bisected, then the counts around it tried."""
    best = None
    for nofs in (False, True):
        made = {}

        def size(n):
            if n not in made:
                out = os.path.join(folder, f"{tag}-pq{n}{'n' if nofs else ''}.png")
                run(["pngquant", "--force", "--output", out] + (["--nofs"] if nofs else []) +
                    [str(n), picture_png], check=False)
                made[n] = out if os.path.exists(out) else None
            return os.path.getsize(made[n]) if made[n] else limit + 1

        lo, hi = 1, 257  # lo fits (or is below the range), hi does not
        while hi - lo > 1:
            mid = (lo + hi) // 2
            if size(mid) <= limit:
                lo = mid
            else:
                hi = mid
        for n in range(max(2, lo - 8), min(256, lo + 8) + 1):
            if size(n) <= limit:
                cand = (psnr(reference, decode(made[n])), size(n),
                        f"{tag} + pngquant {n}{' --nofs' if nofs else ''}")
                best = max(best, cand) if best else cand
    return best


def best_pillow_jpeg(picture, limit, reference, subsampling):
    """Pillow's optimised baseline JPEG at the highest PSNR quality that fits."""
    best = None
    for q in range(1, 101):
        buf = io.BytesIO()
        picture.save(buf, "JPEG", quality=q, optimize=True, subsampling=subsampling)
        data = buf.getvalue()
        if len(data) <= limit:
            cand = (psnr(reference, decode(data)), len(data),
                    f"Pillow JPEG q{q} {'4:4:4' if subsampling == 0 else '4:2:0'}")
            best = max(best, cand) if best else cand
    return best


def mokoa_fit(mokoa, photo, w, h, carrier, resample, folder, reference):
    out = os.path.join(folder, f"fit-{resample}")
    os.makedirs(out)
    start = time.perf_counter()
    res = run([mokoa, "--profile", "0", "--size", f"{w}x{h}", "--resample", resample,
               "--fit", carrier, "-o", out, photo], check=False)
    seconds = time.perf_counter() - start
    files = os.listdir(out)
    if res.returncode not in (0, 3) or not files:
        return None
    path = os.path.join(out, files[0])
    chosen = re.search(r"以内: (.*?) \d+バイト", res.stdout)
    return (psnr(reference, decode(path)), os.path.getsize(path),
            chosen.group(1) if chosen else "?", seconds)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("bin", nargs="?", default=os.path.join(HERE, "..", "build", "test", "bin"))
    parser.add_argument("data", nargs="?",
                        default=os.path.join(HERE, "..", "..", "shared", "testdata"))
    parser.add_argument("--photo", action="append", default=[])
    parser.add_argument("--carrier", choices=sorted(CARRIERS), default="jsky")
    parser.add_argument("--sizes", default=",".join(f"{w}x{h}" for w, h in SIZES))
    args = parser.parse_args()
    mokoa = os.path.join(args.bin, "mokoa-convert")
    for tool in (mokoa, "pngquant", CONVERT):
        if not shutil.which(tool):
            sys.exit(f"{tool} not found (build mokoa-convert; scripts/install-deps.sh bench)")
    label, limit, takes_jpeg = CARRIERS[args.carrier]
    sizes = [tuple(int(v) for v in s.split("x")) for s in args.sizes.split(",")]
    photos = [os.path.join(args.data, "photos", p)
              for p in ("cups-2560x1600.jpg", "kite-2560x1600.jpg")] + args.photo

    print(f"{label}, at most {limit} bytes; PSNR in dB against the area average of the crop\n")
    print("| photo | size | fit area | bytes | PSNR | classic | lanczos | best anchor | bytes "
          "| PSNR | gain | fit run |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    gains, within, base_exact = [], True, True
    with tempfile.TemporaryDirectory() as tmp:
        for photo in photos:
            name = os.path.splitext(os.path.basename(photo))[0].split("-")[0]
            full = Image.open(photo).convert("RGB")
            for w, h in sizes:
                folder = os.path.join(tmp, f"{name}-{w}x{h}")
                os.makedirs(folder)
                box = centred_crop(full.width, full.height, w, h)
                crop = full.crop(box)
                reference = area_reference(np.asarray(crop), w, h)
                # The converter's own area base image must be the reference itself.
                base = os.path.join(folder, "base.png")
                run([mokoa, "--profile", "0", "--size", f"{w}x{h}", "--resample", "area",
                     "--format", "10", "-o", base, photo], check=False)
                base_exact = base_exact and psnr(reference, decode(base)) == float("inf")

                anchors = []
                im = os.path.join(folder, "im.png")
                l, t, r, b = box
                run([CONVERT, photo, "-crop", f"{r - l}x{b - t}+{l}+{t}", "+repage", "-resize",
                     f"{w}x{h}!", "-strip", im])
                pil = os.path.join(folder, "pil.png")
                pil_picture = crop.resize((w, h), Image.LANCZOS)
                pil_picture.save(pil)
                anchors.append(best_pngquant(im, folder, "ImageMagick", limit, reference))
                anchors.append(best_pngquant(pil, folder, "Pillow Lanczos", limit, reference))
                if takes_jpeg:
                    extent = os.path.join(folder, "extent.jpg")
                    run([CONVERT, im, "-define", f"jpeg:extent={limit}", extent])
                    if os.path.getsize(extent) <= limit:
                        anchors.append((psnr(reference, decode(extent)),
                                        os.path.getsize(extent), "ImageMagick jpeg:extent"))
                    for subsampling in (0, 2):
                        anchors.append(best_pillow_jpeg(pil_picture, limit, reference, subsampling))
                best = max(a for a in anchors if a)

                fits = {r: mokoa_fit(mokoa, photo, w, h, args.carrier, r, folder, reference)
                        for r in ("area", "classic", "lanczos")}
                area = fits["area"]
                if not area:
                    print(f"| {name} | {w}x{h} | no fit |")
                    within = False
                    continue
                gain = area[0] - best[0]
                gains.append(gain)
                within = within and all(f and f[1] <= limit for f in fits.values())
                flag = "" if area[1] <= limit and gain >= 0 else " **!**"
                other = {k: f"{v[0]:.2f}" if v else "-" for k, v in fits.items()}
                print(f"| {name} | {w}x{h} | {area[2]} | {area[1]} | {area[0]:.2f} | "
                      f"{other['classic']} | {other['lanczos']} | {best[2]} | {best[1]} | "
                      f"{best[0]:.2f} | {gain:+.2f}{flag} | {area[3]:.2f} s |", flush=True)
    print(f"\nmean gain {sum(gains) / len(gains):+.2f} dB over {len(gains)} cases; "
          f"worst {min(gains):+.2f} dB; every fit within {limit} bytes: {within}; "
          f"area base image equal to the reference: {base_exact}")


if __name__ == "__main__":
    main()
