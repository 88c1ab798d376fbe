#!/usr/bin/env bash
# Installs the Debian packages Orvel 97 needs to build, run and test.
# Does nothing when everything is there; runs apt-get update only when
# something is missing; uses sudo only when not root.
set -euo pipefail

packages=(
  cmake ninja-build g++ ccache make
  qt6-base-dev qt6-svg-dev qt6-translations-l10n qt6-image-formats-plugins
  fonts-dejavu-core fonts-liberation2
  libmagick++-dev libsane-dev libcdio-dev libmspack-dev
  xdg-utils poppler-utils
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  locales
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
