#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking need.
# This is the single list of system dependencies; it does nothing when all are present.
set -euo pipefail

packages=(
  build-essential
  cmake
  ninja-build
  pkg-config
  libcurl4-openssl-dev
  zlib1g-dev
  libssl-dev
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libcpp-httplib-dev
  nginx-light
  # the desktop program: Qt 6 widgets, the login window's browser, GL headers Qt's CMake
  # files ask for, and a CJK font so Chinese renders (the window tests run offscreen)
  qt6-base-dev
  qt6-webengine-dev
  libgl-dev
  fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
# Debian starts nginx after installing it; the tests run their own instances.
if command -v systemctl >/dev/null 2>&1; then $SUDO systemctl disable --now nginx >/dev/null 2>&1 || true; fi
$SUDO pkill -x nginx >/dev/null 2>&1 || true
