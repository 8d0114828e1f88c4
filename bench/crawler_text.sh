#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the crawler reads, against what a careful reader keeps, run by hand:
#   bench/crawler_text.sh [CORPUS]
# CORPUS is ../shared/corpus by default. For each set of saved pages (articles-dev.tar.xz, with
# their expected text, and articles-gold-dev.tar.xz, marked by people) every page is extracted
# with the crawler's own code (channel defaults, no character limit) and scored with score.py;
# so are python3-readability and boilerpipe when they are installed. Then the crawler's CPU time
# per page, and the items it reads from every file of feeds-dev.tar.xz against python3-feedparser.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

corpus="$(cd "${1:-$REPO_ROOT/../shared/corpus}" && pwd)"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_tree build-bench -DCMAKE_BUILD_TYPE=Release -DBREVORA_TESTS=OFF
bin="$REPO_ROOT/build-bench/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

classpath="$bin/Brevora.jar:$bin/htmlparser.jar:$bin/juniversalchardet.jar"
mkdir "$work/classes"
javac -encoding UTF-8 -cp "$classpath" -d "$work/classes" "$REPO_ROOT/bench/crawler/CrawlerTextBench.java" \
  "$REPO_ROOT/bench/crawler/FeedItems.java"

score() {  # score PAGES NAMES LABEL OUT
  printf '  %-32s ' "$3"
  python3 "$corpus/score.py" "$1" "$4" "$2" | sed -n 1p
}

for set in articles-dev articles-gold-dev; do
  [ -f "$corpus/$set.tar.xz" ] || continue
  pages="$work/$set"
  mkdir "$pages"
  tar -xJf "$corpus/$set.tar.xz" -C "$pages"
  ls "$pages" > "$work/$set.names"
  echo "$set:"
  java -cp "$work/classes:$classpath" org.tidewire.CrawlerTextBench "$pages" "$work/$set.brevora" \
    > "$work/$set.cpu"
  score "$pages" "$work/$set.names" "Brevora (no character limit)" "$work/$set.brevora"
  if /usr/bin/python3 -c "import readability" 2>/dev/null; then
    /usr/bin/python3 "$REPO_ROOT/bench/crawler/readability_text.py" "$pages" "$work/$set.readability"
    score "$pages" "$work/$set.names" "python3-readability" "$work/$set.readability"
  fi
  if [ -f /usr/share/java/boilerpipe.jar ]; then
    boilerpipe="/usr/share/java/boilerpipe.jar:/usr/share/java/nekohtml.jar:/usr/share/java/xercesImpl.jar"
    javac -cp "$boilerpipe" -d "$work/classes" "$REPO_ROOT/bench/crawler/BoilerpipeText.java"
    java -cp "$work/classes:$boilerpipe" BoilerpipeText "$pages" "$work/$set.boilerpipe"
    score "$pages" "$work/$set.names" "boilerpipe ArticleExtractor" "$work/$set.boilerpipe"
  fi
  printf '  Brevora '
  python3 "$corpus/score.py" "$pages" "$work/$set.brevora" "$work/$set.names" | tail -1
  sed 's/^/  /' "$work/$set.cpu"
done

if [ -f "$corpus/feeds-dev.tar.xz" ]; then
  mkdir "$work/feeds"
  tar -xJf "$corpus/feeds-dev.tar.xz" -C "$work/feeds"
  feeds="$(find "$work/feeds" -mindepth 1 -maxdepth 1 -type d | head -1)"
  java -cp "$work/classes:$classpath" org.tidewire.FeedItems "$feeds" > "$work/feeds.jsonl"
  echo "feeds-dev:"
  /usr/bin/python3 "$REPO_ROOT/bench/crawler/feeds_compare.py" "$feeds" "$work/feeds.jsonl" 2>/dev/null \
    | sed 's/^/  /'
fi
