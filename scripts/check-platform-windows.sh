#!/usr/bin/env bash
# Checks that the system-call files in src/platform compile for Windows: a syntax-only pass with
# Debian's mingw-w64 compiler (g++-mingw-w64-x86-64-posix). They include no Qt header, so no Qt for
# Windows is needed. Nothing is linked or run: the Windows build is prepared, not built or tested.
set -euo pipefail
cd "$(dirname "$0")/.."
compiler=x86_64-w64-mingw32-g++-posix
if ! command -v "$compiler" >/dev/null; then
    echo "$compiler not found (Debian package g++-mingw-w64-x86-64-posix)" >&2
    exit 1
fi
for file in src/platform/*.cpp; do
    "$compiler" -std=c++17 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -Isrc "$file"
done
echo "Windows: every file in src/platform compiles (syntax only)."
