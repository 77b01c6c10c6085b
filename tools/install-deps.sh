#!/bin/sh
# Installs what building, testing and running Wordloom needs on Debian 12. Only packages that
# are missing are installed, so once everything is there it runs as any user; apt-get (and with
# it root) is needed only when something is missing.
set -eu
packages="build-essential cmake pkg-config clang libclang-rt-14-dev
    qt6-base-dev libgl-dev libxlsxwriter-dev zlib1g-dev libgtest-dev
    clang-format clang-tidy appstream crossbuild-essential-arm64 qemu-user file
    fonts-liberation xdg-utils python3 python3-openpyxl xvfb x11-utils xdotool mandoc an"

missing=
for package in $packages; do
    status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null || true)
    case $status in
        ii*) ;;
        *) missing="$missing $package" ;;
    esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps.sh: these packages are missing; run this script as root to install" \
        "them:$missing" >&2
    exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086  # one word a package
apt-get install -y -qq --no-install-recommends $missing >/dev/null
