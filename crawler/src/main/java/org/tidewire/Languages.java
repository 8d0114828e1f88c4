// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.util.Locale;
import java.util.regex.Pattern;
import org.jsoup.nodes.Document;
import org.jsoup.nodes.Element;

/**
 * The language a page or feed declares, as a BCP 47 tag ("pt-BR"): its {@code <html lang>}, then
 * its Content-Language; a feed's {@code <language>}, {@code dc:language} or the root's
 * {@code xml:lang}. A declaration is untrusted: anything but a primary language of two or three
 * letters with up to four subtags (at most 35 characters) is ignored, never an error.
 */
final class Languages {
  private Languages() {}

  private static final Pattern TAG =
      Pattern.compile("[A-Za-z]{2,3}([-_][A-Za-z0-9]{1,8}){0,4}");

  /** The tag in its usual letter case, or "" when it is not one. */
  static String clean(String declared) {
    if (declared == null || declared.length() > 200) return "";
    String tag = declared.strip();
    if (tag.length() > 35 || !TAG.matcher(tag).matches()) return "";
    String[] parts = tag.split("[-_]");
    StringBuilder out = new StringBuilder(parts[0].toLowerCase(Locale.ROOT));
    for (int i = 1; i < parts.length; ++i) {
      boolean region = parts[i].length() == 2 && Character.isLetter(parts[i].charAt(0));
      out.append('-').append(region ? parts[i].toUpperCase(Locale.ROOT) : parts[i]);
    }
    return out.toString();
  }

  /** The first of the declarations that is a tag, or "". */
  static String first(String... declarations) {
    for (String declaration : declarations) {
      String tag = clean(declaration);
      if (!tag.isEmpty()) return tag;
    }
    return "";
  }

  /** What a page declares: its html element's lang, else the answer's Content-Language. */
  static String ofPage(Document page, String contentLanguage) {
    Element html = page.selectFirst("html");
    String lang = html == null ? "" : html.attr("lang");
    if (lang.isEmpty() && html != null) lang = html.attr("xml:lang");
    int comma = contentLanguage == null ? -1 : contentLanguage.indexOf(',');
    return first(lang, comma >= 0 ? contentLanguage.substring(0, comma) : contentLanguage);
  }

  /** What a feed declares: its language element (RSS, dc:language), else its root's xml:lang. */
  static String ofFeed(Document xml) {
    for (Element element : xml.getAllElements()) {
      String name = element.tagName().toLowerCase(Locale.ROOT);
      if (name.equals("language") || name.equals("dc:language")) {
        String tag = clean(element.text());
        if (!tag.isEmpty()) return tag;
        break;
      }
    }
    return xml.children().isEmpty() ? "" : clean(xml.child(0).attr("xml:lang"));
  }
}
