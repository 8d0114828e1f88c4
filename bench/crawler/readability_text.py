# SPDX-License-Identifier: GPL-3.0-or-later
"""python3-readability on every saved page: PAGES/NAME/source.html to OUT/NAME.txt."""
import os
import sys

import lxml.html
from readability import Document

pages, out = sys.argv[1:3]
os.makedirs(out, exist_ok=True)
for name in sorted(os.listdir(pages)):
    source = os.path.join(pages, name, "source.html")
    if not os.path.isfile(source):
        continue
    try:
        summary = Document(open(source, encoding="utf-8", errors="replace").read()).summary()
        text = lxml.html.fromstring(summary).text_content()
    except Exception:
        text = ""
    with open(os.path.join(out, name + ".txt"), "w", encoding="utf-8") as f:
        f.write(text)
