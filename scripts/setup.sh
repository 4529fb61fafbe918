#!/usr/bin/env bash
# Installs what building and testing the reader needs, and nothing that is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev nlohmann-json3-dev libgif-dev
  qt6-base-dev qt6-base-private-dev libgl-dev fonts-hosny-amiri fontconfig
  xvfb xdotool xclip xauth hyperfine libx11-dev
)
# Node.js may come from elsewhere (with its own npm); only ask Debian for it when missing.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The data sources, exactly as the lockfile pins them.
stamp=node_modules/.pagora-lock
if [ ! -f "$stamp" ] || ! cmp -s package-lock.json "$stamp"; then
  echo "setup: npm ci"
  npm ci --ignore-scripts --no-audit --no-fund --loglevel=error
  cp package-lock.json "$stamp"
fi
