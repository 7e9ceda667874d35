#!/usr/bin/env bash
# Fails when a tracked C++ source differs from .clang-format; `scripts/check-format.sh --fix` formats them.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--fix" ]; then
    git ls-files '*.cpp' '*.h' | xargs -r clang-format -i
    exit 0
fi
bad=$(git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run 2>&1 | grep 'warning:' | cut -d: -f1 | sort -u || true)
if [ -n "$bad" ]; then
    echo "These files differ from .clang-format (run scripts/check-format.sh --fix):"
    echo "$bad"
    exit 1
fi
echo "Formatting: every C++ source matches .clang-format."
