#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. As root, missing packages are
# installed with apt-get; otherwise the exact command is printed and set-up fails.
set -euo pipefail
PACKAGES=(cmake make g++ libgtest-dev libbenchmark-dev freeglut3-dev libglu1-mesa-dev
          xvfb xdotool x11-apps imagemagick
          liburdfdom-dev libkdl-parser-dev liborocos-kdl-dev libconsole-bridge-dev libeigen3-dev jq libfcl-dev libompl-dev)
missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "setup: missing Debian packages: ${missing[*]}" >&2
  echo "setup: install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
