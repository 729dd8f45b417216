#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, as root.
# Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3 python3-pefile
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  wine wine64 wine32:i386
  xvfb xauth
  x11-apps
  libgtest-dev nlohmann-json3-dev
  clang-14 libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
# Other installs may hold the dpkg lock for a while; wait for it.
apt-get -o DPkg::Lock::Timeout=600 update -qq
apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
