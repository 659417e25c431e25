#!/usr/bin/env bash
# Installs the Debian 12 packages that Quillvane needs to build, run, test and benchmark.
# Idempotent: prints nothing and changes nothing when every package is already there.
# Runs as root, or through sudo for a normal user.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config libgtest-dev
  # Qt 6 (Widgets, D-Bus, SVG icons, the offscreen and xcb platforms)
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6svg6
  # audio libraries
  libvorbis-dev libogg-dev libsox-dev libtag1-dev libmp3lame-dev
  # independent readers for the tests, reference tools for the benchmark
  mpg123 python3 python3-mutagen vorbis-tools lame sox libsox-fmt-base hyperfine ffmpeg
  # desktop session pieces: virtual display, D-Bus, fonts, MIME data, icon themes
  xvfb xauth dbus fonts-dejavu-core shared-mime-info breeze-icon-theme adwaita-icon-theme
  # locale sources, for the tests that format numbers under a German locale
  locales
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
  as_root=(sudo)
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
echo "setup: done"
