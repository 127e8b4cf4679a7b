#!/usr/bin/env bash
# Checks what gets installed, as a user's machine sees it.
#   scripts/check-package.sh install BUILD_DIR DEST   installs BUILD_DIR into DEST (as DESTDIR,
#                                                     prefix /usr) and checks that tree
#   scripts/check-package.sh deb PACKAGE.deb          checks the Debian package's fields and
#                                                     file list, then its unpacked tree
# A tree must hold both programs, which print the version without a display, the plug-ins,
# which mokoa-convert finds through its link, the help pages, manual pages that render
# without warnings, the desktop entry and AppStream metadata (validated when
# desktop-file-validate and appstreamcli are installed) and the icon at every size.
set -euo pipefail

icon_sizes=(16 22 24 32 48 64 128 256)

fail() {
  echo "check-package: $*" >&2
  exit 1
}

# check_tree ROOT VERSION: ROOT stands for /.
check_tree() {
  local root=$1 version=$2
  local usr=$root/usr
  local files=(
    bin/mokoa bin/mokoa-convert lib/mokoa/mokoa lib/mokoa/mokoa-convert
    lib/mokoa/PlugIn/pnm.spi lib/mokoa/PlugIn/gif.spi
    lib/mokoa/help/top.htm lib/mokoa/help/plugins.htm lib/mokoa/help/transfer.htm
    lib/mokoa/help/update.htm lib/mokoa/help/style.css lib/mokoa/help/en/top.htm
    lib/mokoa/help/en/plugins.htm lib/mokoa/help/en/transfer.htm lib/mokoa/help/en/update.htm
    share/man/man1/mokoa.1.gz share/man/man1/mokoa-convert.1.gz
    share/applications/org.mokoa.mokoa.desktop share/metainfo/org.mokoa.mokoa.metainfo.xml
    share/icons/hicolor/scalable/apps/mokoa.svg share/doc/mokoa/copyright)
  local size file
  for size in "${icon_sizes[@]}"; do
    files+=("share/icons/hicolor/${size}x${size}/apps/mokoa.png")
  done
  for file in "${files[@]}"; do
    [ -e "$usr/$file" ] || fail "missing /usr/$file"
  done
  for size in "${icon_sizes[@]}"; do
    file "$usr/share/icons/hicolor/${size}x${size}/apps/mokoa.png" | grep -q ", $size x $size," ||
      fail "the ${size}x${size} icon is not $size pixels square"
  done

  # The programs run from the tree through their links, the window program without a display.
  local out
  out=$("$usr/bin/mokoa-convert" --version) || fail "mokoa-convert --version failed"
  [ "$out" = "mokoa-convert $version" ] || fail "mokoa-convert --version printed '$out'"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/mokoa" --version) ||
    fail "mokoa --version failed"
  [ "$out" = "mokoa $version" ] || fail "mokoa --version printed '$out'"
  local scratch
  scratch=$(mktemp -d)
  printf 'P2\n2 2\n255\n0 64 128 255\n' >"$scratch/grey.pgm"
  out=$("$usr/bin/mokoa-convert" --info "$scratch/grey.pgm" 2>&1) || true
  rm -rf "$scratch"
  [[ "$out" == *": 2x2, 24 bits" ]] || fail "mokoa-convert does not find its plug-ins: $out"

  grep -q "<release version=\"$version\"" "$usr/share/metainfo/org.mokoa.mokoa.metainfo.xml" ||
    fail "the AppStream metadata has no release $version"

  local page
  if command -v man >/dev/null; then
    for page in mokoa mokoa-convert; do
      out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l \
        "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null) || fail "man $page failed: $out"
      [ -z "$out" ] || fail "man $page: $out"
    done
  else
    echo "check-package: man is not installed; manual pages not rendered"
  fi
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$usr/share/applications/org.mokoa.mokoa.desktop" ||
      fail "desktop-file-validate found faults"
  else
    echo "check-package: desktop-file-validate is not installed; desktop entry not validated"
  fi
  if command -v appstreamcli >/dev/null; then
    # The whole tree: the metadata, and the desktop entry and icon it names.
    appstreamcli validate-tree --no-net "$root" >/dev/null ||
      fail "appstreamcli validate-tree: $(appstreamcli validate-tree --no-net "$root" 2>&1)"
  else
    echo "check-package: appstreamcli is not installed; AppStream metadata not validated"
  fi
}

case "${1:-}" in
  install)
    [ $# -eq 3 ] || fail "usage: check-package.sh install BUILD_DIR DEST"
    build=$2 dest=$3
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    rm -rf "$dest"
    DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null
    check_tree "$dest" "$version"
    ;;
  deb)
    [ $# -eq 2 ] || fail "usage: check-package.sh deb PACKAGE.deb"
    deb=$2
    version=$(dpkg-deb -f "$deb" Version)
    depends=$(dpkg-deb -f "$deb" Depends)
    # Worked out by dpkg-shlibdeps from what the programs and plug-ins link.
    for lib in libc6 libqt6widgets6 libqt6gui6 libpng16-16 libjpeg62-turbo libgif7; do
      [[ ", $depends," == *", $lib "* ]] || fail "Depends lacks $lib: $depends"
    done
    listing=$(dpkg-deb -c "$deb")
    if grep -v ' root/root ' <<<"$listing" | grep -q .; then
      fail "files not owned by root: $(grep -v ' root/root ' <<<"$listing")"
    fi
    if grep -q ' \./usr/local' <<<"$listing"; then
      fail "files under /usr/local"
    fi
    unpacked=$(mktemp -d)
    trap 'rm -rf "$unpacked"' EXIT
    dpkg-deb -x "$deb" "$unpacked"
    check_tree "$unpacked" "$version"
    echo "check-package: $deb is sound ($(wc -l <<<"$listing") entries; Depends: $depends)"
    ;;
  *)
    sed -n '2,6p' "$0" | sed 's/^# //'
    exit 2
    ;;
esac
