#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Quillwatch need.
# Installs only what is missing, so a second run is quick.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build
  qt6-base-dev
  libcurl4-openssl-dev ca-certificates
  libicu-dev
  libboost-regex-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei
  xvfb xauth
  clang-format
  libssl-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
