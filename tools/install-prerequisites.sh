#!/bin/sh
# Checks for what building MORVIT needs and installs what is missing on Debian or Ubuntu.
#
#   tools/install-prerequisites.sh program   # CMake 3.25 or later, a C++ compiler
#   tools/install-prerequisites.sh tests     # and GoogleTest and Python 3 for the tests
#   tools/install-prerequisites.sh r         # and R with Rcpp for the R package (make r-package)
#
# Missing packages are installed with apt-get, through sudo when not run as root. Where that
# cannot be done (no apt-get, no sudo, a CMake too old for apt to replace), it stops with
# the command or the step that would do it. `make run` and `make test` call it first.
set -eu

what=${1:-program}
packages=""
missing() { packages="$packages $1"; }

command -v cmake >/dev/null 2>&1 || missing cmake
command -v c++ >/dev/null 2>&1 || command -v g++ >/dev/null 2>&1 || missing g++
if [ "$what" = tests ]; then
  [ -f /usr/include/gtest/gtest.h ] || [ -f /usr/local/include/gtest/gtest.h ] || missing libgtest-dev
  command -v python3 >/dev/null 2>&1 || missing python3
fi
if [ "$what" = r ]; then
  command -v R >/dev/null 2>&1 || missing r-base-dev
  Rscript -e 'quit(status = !requireNamespace("Rcpp", quietly = TRUE))' >/dev/null 2>&1 || missing r-cran-rcpp
fi

if [ -n "$packages" ]; then
  if ! command -v apt-get >/dev/null 2>&1; then
    echo "MORVIT needs:$packages (CMake 3.25 or later, a C++20 compiler, for the tests GoogleTest and Python 3," >&2
    echo "for the R package R and Rcpp)." >&2
    echo "Install them with your system's package manager, then run make again." >&2
    exit 1
  fi
  if [ "$(id -u)" -eq 0 ]; then
    sudo=""
  elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
  else
    echo "MORVIT needs:$packages. As root, run:" >&2
    echo "  apt-get install -y$packages" >&2
    exit 1
  fi
  echo "Installing what MORVIT needs:$packages (${sudo:+sudo }apt-get install)"
  # A fresh machine may have no package lists yet.
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq$packages >/dev/null
fi

# CMake must be 3.25 or later; an older one comes from an older distribution release.
version=$(cmake --version | sed -n 's/^cmake version \([0-9]*\)\.\([0-9]*\).*/\1 \2/p')
set -- $version
if [ "${1:-0}" -lt 3 ] || { [ "${1:-0}" -eq 3 ] && [ "${2:-0}" -lt 25 ]; }; then
  echo "MORVIT needs CMake 3.25 or later; this is $(cmake --version | head -n 1)." >&2
  echo "Install a newer one, e.g.: python3 -m pip install --user cmake" >&2
  exit 1
fi
