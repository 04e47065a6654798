#!/bin/sh
# Checks that the executable exports every global symbol of the image library and
# symbols of each of its public classes.
#   check_exports.sh <executable> <image library archive>
set -eu
exe="$1"
lib="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
nm -D --defined-only "$exe" | awk '{print $NF}' | sort -u >"$work/exported"
# DW.ref.* are the compiler's hidden exception-handling references, never exported.
nm -g --defined-only "$lib" 2>/dev/null | awk 'NF == 3 && $3 !~ /^DW\.ref\./ {print $3}' | sort -u >"$work/library"
count="$(wc -l <"$work/library")"
if [ "$count" -lt 100 ]; then
  echo "the image library has only $count global symbols"
  exit 1
fi
comm -13 "$work/exported" "$work/library" >"$work/missing"
if [ -s "$work/missing" ]; then
  echo "not exported: $(wc -l <"$work/missing") of $count symbols of the image library, e.g."
  head -20 "$work/missing"
  exit 1
fi
for class in 8CQxImage 11CQxImageGIF 7CQxFile 9CQxIOFile 10CQxMemFile 9CQxPoint2 8CQxRect2; do
  if ! grep -q "^_ZN$class" "$work/exported"; then
    echo "no exported member of ${class#*[0-9]}"
    exit 1
  fi
done
echo "$count symbols of the image library exported"
