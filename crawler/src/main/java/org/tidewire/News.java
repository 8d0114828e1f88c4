// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.util.ArrayList;
import java.util.List;

/** What a run found: channels, their categories and the articles of each, in order. */
final class News {
  private News() {}

  /**
   * An article; its title is one line (see oneLine) of at most Limits.TITLE_CHARS characters
   * (see titleLine), as it is spoken, listed and named. Its language is what its page or feed
   * declares (a clean BCP 47 tag, see Languages), or "".
   */
  record Article(String title, String url, String date, String text, String language) {
    Article {
      title = titleLine(title);
      language = Languages.clean(language);
    }

    Article(String title, String url, String date, String text) {
      this(title, url, date, text, "");
    }
  }

  static final class Category {
    final String name;
    final List<Article> articles = new ArrayList<>();

    Category(String name) {
      this.name = titleLine(name);
    }
  }

  static final class Channel {
    final String name;
    final String url;
    final List<Category> categories = new ArrayList<>();

    Channel(String name, String url) {
      this.name = name;
      this.url = url;
    }
  }

  /**
   * A title as one line (see oneLine) of at most Limits.TITLE_CHARS characters: a longer one is
   * cut at its last blank within them, or where it has none, after the last whole character.
   */
  static String titleLine(String text) {
    int limit = Limits.TITLE_CHARS;
    String line = oneLine(text);
    if (line.length() <= limit) return line;
    int end = line.lastIndexOf(' ', limit);
    if (end <= 0) end = Character.isLowSurrogate(line.charAt(limit)) ? limit - 1 : limit;
    return line.substring(0, end).trim();
  }

  /**
   * The text as one line: line breaks (CR, LF, NEL, the line and paragraph separators) and other
   * blanks become one blank, characters XML does not allow are left out, the ends trimmed.
   */
  static String oneLine(String text) {
    StringBuilder out = new StringBuilder(text.length());
    text.codePoints().forEach(c -> {
      if (Character.isWhitespace(c) || Character.isSpaceChar(c) || c == 0x85) out.append(' ');
      else if (!Character.isISOControl(c) && xmlAllows(c)) out.appendCodePoint(c);
    });
    return out.toString().replaceAll(" {2,}", " ").trim();
  }

  /** Whether XML 1.0 allows the character. */
  static boolean xmlAllows(int c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
        || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
  }
}
