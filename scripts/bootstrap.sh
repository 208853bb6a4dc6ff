#!/usr/bin/env bash
# Installs the Debian packages the build needs (only what is missing).
set -euo pipefail
packages=(cmake ninja-build g++ g++-multilib googletest lib32asan8 lib32ubsan1 libstb-dev
          fonts-dejavu-core nlohmann-json3-dev clang libclang-rt-14-dev qemu-user)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
