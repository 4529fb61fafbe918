#!/usr/bin/env bash
# Installs what a command of the Makefile needs, and nothing that is already there:
#   scripts/setup.sh run       building and running the reader (`make run`; the default)
#   scripts/setup.sh test      that, plus what the tests, the sanitizer build, the fuzzers and
#                              the benchmarks need (`make test`, `make bench`, `make fuzz`)
#   scripts/setup.sh package   that of run, plus what making the Debian package needs
# It says what it installs, and asks for root rights (sudo) only when something is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

set_name=${1:-run}
# The compiler and Qt, the data build's libraries, the font the pages are shown in, and the
# tools that make the man pages and the icon sizes.
packages=(
  cmake ninja-build g++ pkg-config nlohmann-json3-dev libgif-dev qt6-base-dev qt6-base-private-dev libgl-dev
  fonts-hosny-amiri fontconfig help2man librsvg2-bin
)
case "$set_name" in
  run) ;;
  test)
    packages+=(
      clang libclang-rt-14-dev clang-format libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev
      xvfb xdotool xclip xauth hyperfine libx11-dev openbox x11-xkb-utils x11-utils x11-xserver-utils
      desktop-file-utils appstream man-db dpkg-dev file lintian
    )
    ;;
  package) packages+=(dpkg-dev file) ;;
  *)
    echo "usage: scripts/setup.sh [run|test|package]" >&2
    exit 2
    ;;
esac
# Node.js may come from elsewhere (with its own npm); only ask Debian for it when missing.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup ($set_name): installing ${missing[*]}"
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "setup: sudo is not available; as root, run: apt-get install ${missing[*]}" >&2
      exit 1
    fi
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup ($set_name): everything needed is installed"
fi

# The data sources, exactly as the lockfile pins them.
stamp=node_modules/.pagora-lock
if [ ! -f "$stamp" ] || ! cmp -s package-lock.json "$stamp"; then
  echo "setup: npm ci"
  npm ci --ignore-scripts --no-audit --no-fund --loglevel=error
  cp package-lock.json "$stamp"
fi
