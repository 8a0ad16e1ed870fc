#!/usr/bin/env bash
# scripts/check-layers on a small tree of its own: includes that point down
# or stay in their folder pass; one into a sibling and one upward are named.
set -euo pipefail
checker=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/low "$tree"/mid/inner "$tree"/side "$tree"/high
cat >"$tree/CMakeLists.txt" <<'LIST'
set(BRONTAVIK_LAYERS
    "low"
    "mid side"   # siblings
    "mid/inner"
    "high")
LIST
echo '#include <vector>' >"$tree/low/a.h"
printf '#include "low/a.h"\n#include "mid/b.h"\n' >"$tree/mid/b.cpp"
echo '#include "mid/b.h"' >"$tree/mid/inner/c.cpp"
echo '#include "mid/inner/c.h"' >"$tree/high/d.cpp"
"$checker" "$tree" >/dev/null || { echo "FAIL: a clean tree was refused"; exit 1; }

echo '#include "mid/b.h"' >"$tree/side/e.cpp"
printf '// two\n#include "high/d.h"\n' >"$tree/low/f.cpp"
echo '#include "mid/inner/c.h"' >>"$tree/mid/b.cpp"
status=0
out=$("$checker" "$tree") || status=$?
expected="low/f.cpp:2: low includes high/d.h, from high, a level above
mid/b.cpp:3: mid includes mid/inner/c.h, from mid/inner, a level above
side/e.cpp:1: side includes mid/b.h, from mid, a sibling on its level
check-layers: 3 include(s) against the order in CMakeLists.txt"
if [[ $status -ne 1 || "$out" != "$expected" ]]; then
    printf 'FAIL: expected status 1 and\n%s\ngot status %s and\n%s\n' "$expected" "$status" "$out"
    exit 1
fi
echo "PASS"
