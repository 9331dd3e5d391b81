#!/usr/bin/env bash
# Installs the Debian packages the project builds and runs with (only those missing).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libcurl4-openssl-dev nlohmann-json3-dev libcpp-httplib-dev libsqlite3-dev libpq-dev postgresql libbenchmark-dev
  fonts-dejavu-core xvfb xauth
  clang libclang-rt-14-dev openssl
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
