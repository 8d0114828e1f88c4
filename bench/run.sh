#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the conversion benchmark by hand: the program's pass over the corpus,
# sequential and parallel (with their speed-up and a byte comparison of all
# files), the pass over the 60 KB article alone and over the short articles alone,
# and the same corpus through the command-line tools in two forms (the
# program's encoder settings, and lame's defaults), all in one run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" espeak-ng sox lame time
build_tree build-bench -DCMAKE_BUILD_TYPE=Release -DBREVORA_TESTS=OFF -DBREVORA_BENCH=ON
bench="$REPO_ROOT/build-bench/bench/bench_conversion"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fresh() {  # fresh NAME: a copy of the corpus in $work/NAME
  rm -rf "$work/$1"
  cp -r "$work/corpus" "$work/$1"
}

"$bench" corpus "$work/corpus"

echo "== the program's pass, whole corpus, sequential (one encoding thread)"
fresh sequential
"$bench" pass "$work/sequential" 1 | tee "$work/sequential.txt"

echo "== the program's pass, whole corpus, parallel (encoding threads: one per core)"
fresh parallel
"$bench" pass "$work/parallel" | tee "$work/parallel.txt"

echo "== the program's pass, whole corpus, parallel, each article in its own language's voice"
fresh languages
"$bench" pass "$work/languages" 0 languages | tee "$work/languages.txt"

echo "== language detection"
"$bench" detect

wall() { sed -n 's/^wall seconds *//p' "$1"; }
echo "== parallel against sequential"
awk -v s="$(wall "$work/sequential.txt")" -v p="$(wall "$work/parallel.txt")" \
  'BEGIN { printf "speed-up of the parallel pass: %.2fx\n", s / p }'
if diff -r -q "$work/sequential/Top" "$work/parallel/Top" > /dev/null; then
  echo "identical: every MP3 file of the two passes is the same, byte for byte"
else
  echo "DIFFERENT: the passes wrote different files:"
  diff -r -q "$work/sequential/Top" "$work/parallel/Top" | head
fi

echo "== the program's pass, the 60 KB article alone"
fresh big
find "$work/big/Top" -name 'article*.txt' -delete
"$bench" pass "$work/big"

echo "== the program's pass, the short articles alone"
fresh short
rm -rf "$work/short/Top/long"
"$bench" pass "$work/short"

chain() {  # chain NAME LAME-OPTIONS...: espeak-ng, sox to 16 kHz, lame, file by file
  local name="$1"
  shift
  fresh "$name"
  find "$work/$name/Top" -name '*.txt' | while read -r text; do
    base="${text%.txt}"
    espeak-ng -w "$base.22k.wav" -f "$text"
    sox "$base.22k.wav" -r 16000 "$base.wav"
    lame --quiet "$@" "$base.wav" "$base.mp3"
    rm -f "$base.22k.wav" "$base.wav"
  done
}

chained() {  # chained NAME LAME-OPTIONS...: the chain, timed, against the parallel pass
  local name="$1" start end
  start=$(date +%s.%N)
  # In a shell of its own, whose peak memory is that of its largest process.
  /usr/bin/time -f %M -o "$work/$name.kb" \
    bash -c "$(declare -f fresh chain); work='$work'; chain \"\$@\"" chain "$@"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" -v p="$(wall "$work/parallel.txt")" -v kb="$(cat "$work/$name.kb")" \
    'BEGIN { printf "wall seconds %.3f; peak memory %.1f MB (its largest process)\n", b - a, kb / 1024
             printf "the parallel pass is %.2fx faster\n", (b - a) / p }'
}

echo "== the chain with the same encoder settings"
chained same -b 24 -m m --cbr -q 2 --nores
echo "== the chain with lame's defaults (-q 3)"
chained defaults -b 24 -m m
