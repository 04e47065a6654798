#!/usr/bin/env bash
# The floors check passes on the tree and fails, naming file and line, on an upward
# include, on two folders that include each other and on a library linking upward.
set -u
source_dir=$1
check=$source_dir/scripts/check-floors
failed=0
expect() { # expect STATUS PATTERN OUTPUT what
  if [ "$1" != "$2" ] || ! grep -qF -- "$3" <<<"$4"; then
    echo "FAILED: $5 (status $2, output: $4)"; failed=1
  fi
}

out=$("$check" "$source_dir" 2>&1); status=$?
expect 0 "$status" "" "the tree itself"

tree=$(mktemp -d); trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/cmake" "$tree/platform/core" "$tree/broker/core" "$tree/broker/session" "$tree/chart"
cp "$source_dir/cmake/floors.txt" "$tree/cmake/"
printf '#include "platform/core/A.h"\n' >"$tree/broker/core/B.h"
printf '#pragma once\n' >"$tree/platform/core/A.h"
out=$("$check" "$tree" 2>&1); status=$?
expect 0 "$status" "" "a downward include"

printf '#pragma once\n\n#include "chart/C.h"\n' >"$tree/platform/core/Up.h"
out=$("$check" "$tree" 2>&1); status=$?
expect 1 "$status" 'platform/core/Up.h:3: includes "chart/C.h" of floor chart, above platform' "$out" "an upward include"
rm "$tree/platform/core/Up.h"

printf '#include "broker/session/S.h"\n' >"$tree/broker/core/Both.h"
printf '#include "broker/core/Both.h"\n' >"$tree/broker/session/S.h"
out=$("$check" "$tree" 2>&1); status=$?
expect 1 "$status" "folders broker/core and broker/session include each other" "$out" "folders including each other"
rm "$tree/broker/core/Both.h" "$tree/broker/session/S.h"

printf 'qx_library(qx_low SOURCES a.cpp DEPS qx_high)\n' >"$tree/platform/CMakeLists.txt"
printf 'qx_library(qx_high\n  SOURCES c.cpp\n  DEPS qx_low)\n' >"$tree/chart/CMakeLists.txt"
out=$("$check" "$tree" 2>&1); status=$?
expect 1 "$status" "platform/CMakeLists.txt:1: qx_low links qx_high of floor chart, above platform" "$out" "a library linking upward"

mkdir -p "$tree/nowhere"; rm "$tree/platform/CMakeLists.txt"
printf '#pragma once\n' >"$tree/nowhere/N.h"
out=$("$check" "$tree" 2>&1); status=$?
expect 1 "$status" "nowhere/N.h: folder not on any floor" "$out" "a folder on no floor"
exit $failed
