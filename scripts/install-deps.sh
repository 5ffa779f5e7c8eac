#!/usr/bin/env bash
# Installs the Debian 12 packages Fraymark needs to build, test and run.
# Costs one dpkg-query when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-multimedia-dev
  libsimdjson-dev libsqlite3-dev libcanberra-dev
  libxcb1-dev libxcb-shape0-dev libxcb-ewmh-dev libxcb-randr0-dev
  libatspi2.0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-roboto-unhinted
  xvfb x11-xserver-utils
)

# One dpkg-query for all; packages it has never heard of print nothing.
installed=" $(dpkg-query -W -f='${db:Status-Status}:${Package} ' "${packages[@]}" 2>/dev/null \
  | tr ' ' '\n' | sed -n 's/^installed://p' | tr '\n' ' ') "
missing=()
for p in "${packages[@]}"; do
  case "$installed" in *" $p "*) ;; *) missing+=("$p") ;; esac
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "fraymark: installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt=(apt-get)
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  apt=(sudo apt-get)
elif command -v sudo >/dev/null 2>&1 && [ -t 0 ]; then
  apt=(sudo apt-get)
else
  echo "fraymark: cannot install packages without root. Run:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# A package the local index does not know yet means the index is stale.
if ! apt-cache show "${missing[@]}" >/dev/null 2>&1; then
  "${apt[@]}" update
fi
if ! "${apt[@]}" install -y --no-install-recommends "${missing[@]}"; then
  "${apt[@]}" update
  "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
fi
