#!/usr/bin/env bash
# clang-format over every C++ file in the repository; --check changes nothing and fails when a
# file differs from its formatted form (the test command runs it so).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
    clang-format-14 --dry-run --Werror "${files[@]}"
    echo "clang-format: ${#files[@]} files clean"
else
    clang-format-14 -i "${files[@]}"
fi
