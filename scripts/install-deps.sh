#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those that are missing.
#   scripts/install-deps.sh build [test] [package] [bench] [fuzz] [assets]
set -euo pipefail

build_pkgs=(
  cmake ninja-build g++ pkg-config
  libpng-dev libjpeg62-turbo-dev zlib1g-dev
  qt6-base-dev qtkeychain-qt6-dev libssl-dev fonts-ipafont-gothic
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libgif-dev libqrencode-dev libimagequant-dev libzopfli-dev
  libgtest-dev libbenchmark-dev
)
test_pkgs=(
  libpng-tools libjpeg-turbo-progs pngcheck
  python3 python3-aiosmtpd openssl curl
  xvfb xauth zbar-tools
)
package_pkgs=(
  dpkg-dev file man-db appstream desktop-file-utils
)
bench_pkgs=(
  imagemagick libvips-tools pngquant nginx wrk time python3-pil python3-numpy
)
fuzz_pkgs=(
  clang-14 libclang-rt-14-dev
)
# Redrawing the pictures with scripts/make-assets.py.
assets_pkgs=(
  imagemagick librsvg2-bin fonts-ipafont-gothic
)

wanted=()
for group in "$@"; do
  case "$group" in
    build) wanted+=("${build_pkgs[@]}") ;;
    test) wanted+=("${test_pkgs[@]}") ;;
    package) wanted+=("${package_pkgs[@]}") ;;
    bench) wanted+=("${bench_pkgs[@]}") ;;
    fuzz) wanted+=("${fuzz_pkgs[@]}") ;;
    assets) wanted+=("${assets_pkgs[@]}") ;;
    *) echo "install-deps: unknown group '$group' (build, test, package, bench, fuzz, assets)" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
