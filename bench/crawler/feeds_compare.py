# SPDX-License-Identifier: GPL-3.0-or-later
"""Compares the crawler's items of a folder of feed files with python3-feedparser's.
Usage: /usr/bin/python3 feeds_compare.py FOLDER CRAWLER_JSON_LINES [--misses]
An entry counts when feedparser gives it a link or text (that is more than markup); it is matched when the crawler reads an
item of the same file with the same title (markup, entities and blanks aside) and a link or text.
Prints the share matched, and the files that hold entries but are no feed to the crawler."""
import collections
import html
import json
import os
import re
import sys

import feedparser

folder, crawled = sys.argv[1], sys.argv[2]
show_misses = "--misses" in sys.argv


def norm(text):
    text = html.unescape(re.sub(r"<[^>]*>", " ", text or ""))
    return re.sub(r"\s+", " ", text).strip()


crawler = {}
for line in open(crawled, encoding="utf-8"):
    record = json.loads(line)
    crawler[record["file"]] = record

entries = matched = 0
failed = []
misses = []
for name in sorted(crawler):
    data = open(os.path.join(folder, name), "rb").read()
    header = re.search(rb"Header:\s*Content-type:\s*([^\r\n]*)", data, re.I)
    headers = {"content-type": header.group(1).decode("latin-1").strip()} if header else {}
    try:
        parsed = feedparser.parse(data, response_headers=headers)
    except Exception:  # a file feedparser itself cannot read is not counted
        continue
    wanted = [e for e in parsed.entries if e.get("link") or norm(e.get("summary"))
              or any(norm(c.get("value")) for c in e.get("content", []))]
    if not wanted:
        continue
    record = crawler[name]
    if not record["feed"]:
        failed.append(name)
    titles = collections.Counter(norm(i["title"]) for i in record["items"]
                                 if i["link"] or i["text"])
    for entry in wanted:
        entries += 1
        title = norm(entry.get("title", ""))
        if titles[title] > 0:
            titles[title] -= 1
            matched += 1
        else:
            misses.append((name, title, [norm(i["title"]) for i in record["items"]][:3]))
print(f"{matched} of {entries} entries ({100.0 * matched / max(entries, 1):.1f}%) read with "
      f"feedparser's title; {len(failed)} files with entries are no feed to the crawler")
if show_misses:
    for name, title, got in misses:
        print(f"miss {name}: {title!r} got {got!r}")
    for name in failed:
        print(f"no feed: {name}")
