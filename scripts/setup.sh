#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12, only when missing.
# Recommended packages come too: Wine needs its fonts and X libraries for
# the dialog cases.
set -eu
packages=(
  cmake make g++ python3 googletest libbenchmark-dev libssl-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64 xvfb xdotool imagemagick fonts-wqy-zenhei locales
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
# Wine takes its ANSI code page from the locale: 936 needs zh_CN.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'en_US.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
