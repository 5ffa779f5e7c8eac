#!/usr/bin/env bash
# Installs the Debian 12 packages Fraymark needs to build, test and run.
# Costs one dpkg-query when everything is already there.
#
#   install-deps.sh            install what is missing (all groups)
#   install-deps.sh --list     print every package name, one a line
#   install-deps.sh --check-index
#                              ask apt whether every listed name resolves (no changes)
set -uo pipefail

# The one list. Every program a test starts comes from here.
build_packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev
  libsimdjson-dev libsqlite3-dev libutf8proc-dev libcanberra-dev
  libxcb1-dev libxcb-shape0-dev libxcb-ewmh-dev libxcb-randr0-dev
  libatspi2.0-dev
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-utils
  xdotool openbox xcompmgr trayer imagemagick
  dbus dbus-daemon at-spi2-core tmux
  desktop-file-utils appstream dpkg-dev file python3
  ffmpeg
)
run_packages=(
  fonts-roboto-unhinted fonts-dejavu-core
  libcanberra-pulse sound-theme-freedesktop
)
packages=("${build_packages[@]}" "${test_packages[@]}" "${run_packages[@]}")

say() { echo "fraymark: $*" >&2; }

case "${1:-}" in
  --list)
    printf '%s\n' "${packages[@]}"
    exit 0
    ;;
  --check-index)
    if out=$(apt-get install -s -y --no-install-recommends "${packages[@]}" 2>&1); then
      echo "fraymark: every listed package resolves in the package index"
      exit 0
    fi
    say "the package index does not resolve the list: $(printf '%s\n' "$out" | grep -E '^E:' | head -n 1)"
    say "fix the name in scripts/install-deps.sh, or run: apt-get update"
    exit 1
    ;;
  "") ;;
  *)
    say "unknown option $1 (use --list or --check-index)"
    exit 2
    ;;
esac

# dpkg-query exits 1 when it has never heard of a name, and still prints the rest.
# Only "install ok installed" counts: half-installed or config-files need installing.
status=$(dpkg-query -W -f='${Status}|${Package}\n' "${packages[@]}" 2>/dev/null || true)
installed=" $(printf '%s\n' "$status" | sed -n 's/^install ok installed|//p' | tr '\n' ' ') "
missing=()
for p in "${packages[@]}"; do
  case "$installed" in *" $p "*) ;; *) missing+=("$p") ;; esac
done

[ ${#missing[@]} -eq 0 ] && exit 0

fix="sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}"
say "installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt=(apt-get)
elif command -v sudo >/dev/null 2>&1 && { sudo -n true 2>/dev/null || [ -t 0 ]; }; then
  apt=(sudo apt-get)
else
  say "cannot install packages without root; run: sudo apt-get install -y ${missing[*]}"
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# A name the local index does not know means the index is stale (or was never fetched).
if ! apt-cache show "${missing[@]}" >/dev/null 2>&1; then
  if ! "${apt[@]}" update -q; then
    say "apt-get update failed (check the network and /etc/apt/sources.list); then run: $fix"
    exit 1
  fi
fi
if ! "${apt[@]}" install -y -q --no-install-recommends "${missing[@]}"; then
  say "apt-get install failed; run: $fix"
  exit 1
fi
