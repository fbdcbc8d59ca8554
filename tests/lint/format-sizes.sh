#!/usr/bin/env bash
# The program links the old C runtime, whose printf family knows no C99 size
# prefixes: "%zu" prints "zu" on Windows. Fails when a format under src/ uses one.
set -uo pipefail
src=${1:?usage: format-sizes.sh SRC_DIR}
pattern='%[-+ #0]*[0-9*]*(\.[0-9*]+)?[zjt][diouxXn]'
if hits=$(grep -rnE "$pattern" --include='*.cpp' --include='*.h' "$src"); then
  echo "C99 size prefixes in format strings (use %I64u or cast to unsigned long long with %llu):"
  echo "$hits"
  exit 1
fi
echo "format strings: no C99 size prefixes"
