#!/bin/sh
# Installs what building, testing and running Wordloom needs on Debian 12 (run as root).
set -eu
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
    build-essential cmake pkg-config clang libclang-rt-14-dev \
    qt6-base-dev libgl-dev libxlsxwriter-dev zlib1g-dev \
    libgtest-dev libgmock-dev libbenchmark-dev \
    fonts-liberation xdg-utils python3 python3-openpyxl xvfb xdotool mandoc >/dev/null
