// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import org.jsoup.nodes.Document;
import org.jsoup.nodes.Element;

/**
 * What a page says of its article in metadata: the JSON-LD scripts' "articleBody" and
 * "headline", and the Open Graph title. Only the string values of those keys are read, as text
 * (see asText); nothing else of the JSON is interpreted.
 */
final class Metadata {
  private Metadata() {}

  /** The longest "articleBody" of the page's JSON-LD; empty when there is none. */
  static String articleBody(Document page) {
    return longestValue(page, "articleBody");
  }

  /** The page's own title of its article: "og:title", else a JSON-LD "headline"; may be empty. */
  static String title(Document page) {
    Element og = page.selectFirst("meta[property=og:title]");
    if (og != null && !og.attr("content").isBlank()) return og.attr("content").trim();
    return longestValue(page, "headline");
  }

  private static String longestValue(Document page, String key) {
    String best = "";
    for (Element script : page.select("script[type=application/ld+json]")) {
      String json = script.data();
      String quoted = "\"" + key + "\"";
      for (int at = json.indexOf(quoted); at >= 0; at = json.indexOf(quoted, at + 1)) {
        String value = stringAfter(json, at + quoted.length());
        if (value != null && value.length() > best.length()) best = value;
      }
    }
    return asText(best);
  }

  /**
   * A JSON string's value (its escapes decoded) as the text a reader sees: control characters
   * are blanks, entities are decoded and markup (a script with what it holds) is left out.
   */
  static String asText(String value) {
    String text = CONTROLS.matcher(value).replaceAll(" ");
    if (text.indexOf('<') >= 0 || text.indexOf('&') >= 0) text = ArticleExtractor.visibleText(text);
    return text.replaceAll("\\s+", " ").trim();
  }

  private static final java.util.regex.Pattern CONTROLS =
      java.util.regex.Pattern.compile("[\\p{Cc}\\uFFFE\\uFFFF]");

  /** The JSON string after a key (past blanks and a colon); null when a string does not follow. */
  static String stringAfter(String json, int from) {
    int i = from;
    while (i < json.length() && Character.isWhitespace(json.charAt(i))) ++i;
    if (i >= json.length() || json.charAt(i) != ':') return null;
    ++i;
    while (i < json.length() && Character.isWhitespace(json.charAt(i))) ++i;
    if (i >= json.length() || json.charAt(i) != '"') return null;
    StringBuilder value = new StringBuilder();
    for (++i; i < json.length(); ++i) {
      char c = json.charAt(i);
      if (c == '"') return value.toString();
      if (c != '\\') {
        value.append(c);
        continue;
      }
      if (++i >= json.length()) return null;
      char escaped = json.charAt(i);
      switch (escaped) {
        case 'n', 'r', 't' -> value.append(' ');
        case 'b', 'f' -> { }
        case 'u' -> {
          if (i + 4 >= json.length()) return null;
          try {
            value.append((char) Integer.parseInt(json.substring(i + 1, i + 5), 16));
          } catch (NumberFormatException e) {
            return null;
          }
          i += 4;
        }
        default -> value.append(escaped);
      }
    }
    return null;
  }
}
