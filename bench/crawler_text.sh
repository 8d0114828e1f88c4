#!/usr/bin/env bash
# The crawler's article text against the text a careful reader keeps, run by hand:
#   bench/crawler_text.sh [CORPUS]
# CORPUS holds articles-dev.tar.xz (saved pages with their expected text) and score.py; it is
# ../shared/corpus by default. Every page is extracted with the crawler's own code (channel
# defaults, no character limit) and scored; so are python3-readability and boilerpipe when they
# are installed. Then the crawler's CPU time per page.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

corpus="$(cd "${1:-$REPO_ROOT/../shared/corpus}" && pwd)"
ensure_packages "${BUILD_PACKAGES[@]}"
build_tree build-bench -DCMAKE_BUILD_TYPE=Release -DBREVORA_TESTS=OFF
bin="$REPO_ROOT/build-bench/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

mkdir "$work/pages" "$work/classes"
tar -xJf "$corpus/articles-dev.tar.xz" -C "$work/pages"
ls "$work/pages" > "$work/names.txt"
classpath="$bin/Brevora.jar:$bin/htmlparser.jar"
javac -encoding UTF-8 -cp "$classpath" -d "$work/classes" "$REPO_ROOT/bench/crawler/CrawlerTextBench.java"

score() {  # score LABEL OUT
  printf '%-34s ' "$1"
  python3 "$corpus/score.py" "$work/pages" "$2" "$work/names.txt" | head -1
}

java -cp "$work/classes:$classpath" org.tidewire.CrawlerTextBench "$work/pages" "$work/brevora" \
  > "$work/cpu.txt"
score "Brevora (no character limit)" "$work/brevora"
if /usr/bin/python3 -c "import readability" 2>/dev/null; then
  /usr/bin/python3 "$REPO_ROOT/bench/crawler/readability_text.py" "$work/pages" "$work/readability"
  score "python3-readability" "$work/readability"
fi
if [ -f /usr/share/java/boilerpipe.jar ]; then
  boilerpipe="/usr/share/java/boilerpipe.jar:/usr/share/java/nekohtml.jar:/usr/share/java/xercesImpl.jar"
  javac -cp "$boilerpipe" -d "$work/classes" "$REPO_ROOT/bench/crawler/BoilerpipeText.java"
  java -cp "$work/classes:$boilerpipe" BoilerpipeText "$work/pages" "$work/boilerpipe"
  score "boilerpipe ArticleExtractor" "$work/boilerpipe"
fi
echo
python3 "$corpus/score.py" "$work/pages" "$work/brevora" "$work/names.txt" | tail -1
cat "$work/cpu.txt"
