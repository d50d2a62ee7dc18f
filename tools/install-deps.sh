#!/usr/bin/env bash
# Installs every Debian package the build, the data tools and the tests need.
# Idempotent: packages already present are left alone.
set -euo pipefail

PACKAGES=(
  # toolchain (clang: the warning check of .ci/run)
  cmake ninja-build g++ clang pkg-config python3
  # libraries
  libglfw3-dev libepoxy-dev libimgui-dev libphysfs-dev libjsoncpp-dev libglm-dev libstb-dev
  libpolyclipping-dev libtinygltf-dev libmuparser-dev libglu1-mesa-dev libsdl2-dev libmpg123-dev
  libkissfft-dev libgtest-dev libgmock-dev libbenchmark-dev
  # OpenGL without a GPU, and a virtual display
  libgl1-mesa-dri mesa-utils xvfb xauth xdotool
  # data tools: archive, fonts, music, images
  zip unzip hershey-fonts-data fonts-dejavu-core sox lame imagemagick
)

# One query for every package (a query per package takes seconds on a busy machine).
installed=" $(dpkg-query -W -f='${Package} ${Status}\n' "${PACKAGES[@]}" 2>/dev/null |
  awk '$2 == "install" && $3 == "ok" && $4 == "installed" { printf "%s ", $1 }' || true)"
missing=()
for p in "${PACKAGES[@]}"; do
  case "$installed" in *" $p "*) ;; *) missing+=("$p") ;; esac
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
