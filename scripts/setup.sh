#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent: packages that
# are already installed are skipped, and apt is not touched when none is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config clang-format
  libcurl4-openssl-dev libsigc++-2.0-dev libpng-dev libfreetype-dev fonts-dejavu-core fonts-liberation
  libsdl2-dev libsqlite3-dev sqlite3 nlohmann-json3-dev
  libhowardhinnant-date-dev tzdata libboost-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  famfamfam-flag-png xvfb xauth
  clang-14 libclang-rt-14-dev
  nginx wrk jq
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
