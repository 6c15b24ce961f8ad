#!/usr/bin/env bash
# Checks that every C++ source and header of the tree is laid out as .clang-format says, with
# the clang-format given (default: clang-format). Prints the places that differ and fails.
#
#   tools/check_format.sh [CLANG_FORMAT]
set -euo pipefail
cd "$(dirname "$0")/.."
format=${1:-clang-format}
mapfile -t sources < <(find app r/src web analysis measures distributions recordio driver exchange system limits \
  tests bench -name '*.cpp' -o -name '*.h' | grep -v '^tests/data/' | sort)
if ! "$format" --dry-run --Werror "${sources[@]}"; then
  echo "check_format: the files above differ from .clang-format; $format -i FILE lays them out" >&2
  exit 1
fi
echo "check_format: ${#sources[@]} files as .clang-format lays them out ($("$format" --version))"
