#!/bin/sh
# Installs the build tools and libraries the project needs (Debian).
set -eu
packages="build-essential cmake pkg-config binutils libwxgtk3.2-dev libgdk-pixbuf-2.0-dev libgtest-dev libbenchmark-dev zlib1g-dev"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
