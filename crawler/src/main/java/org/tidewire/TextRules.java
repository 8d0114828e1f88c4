package org.tidewire;

import java.util.ArrayList;
import java.util.List;
import java.util.Set;
import org.jsoup.Jsoup;
import org.jsoup.nodes.Document;
import org.jsoup.nodes.Element;
import org.jsoup.nodes.Node;
import org.jsoup.nodes.TextNode;

/**
 * An article's text from its page, by the channel's text rules:
 *
 * <ul>
 *   <li>"Use Remark String": only the part of the page between the first "Start Remark String"
 *       and the next "End Remark String" is read.
 *   <li>By default the paragraphs of the article: the blocks (paragraphs, headings below the
 *       title, list items, quotations) of the page's article or main element, or of its body,
 *       leaving out navigation, headers, footers, side bars, forms and scripts.
 *   <li>"Use Paragraph Tag": only the text of "p" elements. Without "Paragraph End Exists" a
 *       paragraph also takes the loose text after it, up to the next block, as pages whose
 *       paragraphs are never closed put it there.
 *   <li>"Use Span Tag": the text of "span" elements outside those paragraphs is added.
 * </ul>
 *
 * Then the first "Number of Lines to Skip" lines are dropped and the text is cut at the last
 * sentence end within "Number of Characters" (0: no limit).
 */
final class TextRules {
  private TextRules() {}

  private static final Set<String> LEFT_OUT =
      Set.of("nav", "header", "footer", "aside", "form", "script", "style", "noscript", "template",
          "button", "select", "iframe", "svg");
  private static final Set<String> BLOCKS =
      Set.of("p", "h2", "h3", "h4", "h5", "h6", "li", "blockquote", "pre", "dd", "dt", "td",
          "figcaption");

  static String articleText(String html, String baseUri, ChannelSettings channel) {
    String source = html;
    if (channel.useRemarkString && !channel.startRemarkString.isEmpty()) {
      int start = source.indexOf(channel.startRemarkString);
      if (start < 0) return "";
      start += channel.startRemarkString.length();
      int end = channel.endRemarkString.isEmpty() ? -1 : source.indexOf(channel.endRemarkString, start);
      source = end < 0 ? source.substring(start) : source.substring(start, end);
    }
    Document page = Jsoup.parse(source, baseUri);
    for (Element element : page.select(String.join(",", LEFT_OUT))) element.remove();
    List<String> paragraphs =
        channel.useParagraphTag ? paragraphs(page, channel.paragraphEndExists) : blocks(page);
    if (channel.useSpanTag) {
      for (Element span : page.select("span")) {
        if (span.closest("p") == null && !span.text().isBlank()) paragraphs.add(span.text().trim());
      }
    }
    return cut(skipLines(String.join("\n", paragraphs), channel.linesToSkip),
        channel.numberOfCharacters);
  }

  private static List<String> blocks(Document page) {
    Element scope = page.selectFirst("article");
    if (scope == null) scope = page.selectFirst("main");
    if (scope == null) scope = page.body();
    List<String> texts = new ArrayList<>();
    for (Element element : scope.getAllElements()) {
      if (!BLOCKS.contains(element.normalName())) continue;
      if (hasBlockAncestor(element, scope)) continue; // taken with its enclosing block
      String text = element.text().trim();
      if (!text.isEmpty()) texts.add(text);
    }
    if (texts.isEmpty()) {
      String text = scope.text().trim();
      if (!text.isEmpty()) texts.add(text);
    }
    return texts;
  }

  private static boolean hasBlockAncestor(Element element, Element scope) {
    for (Element parent = element.parent(); parent != null && parent != scope;
        parent = parent.parent()) {
      if (BLOCKS.contains(parent.normalName())) return true;
    }
    return false;
  }

  private static List<String> paragraphs(Document page, boolean paragraphEndExists) {
    List<String> texts = new ArrayList<>();
    for (Element paragraph : page.select("p")) {
      StringBuilder text = new StringBuilder(paragraph.text().trim());
      if (!paragraphEndExists) {
        for (Node next = paragraph.nextSibling(); next != null; next = next.nextSibling()) {
          if (next instanceof Element element && element.isBlock()) break;
          String loose =
              next instanceof TextNode node ? node.text() : next instanceof Element e ? e.text() : "";
          if (!loose.isBlank()) text.append(' ').append(loose.trim());
        }
      }
      if (text.length() > 0) texts.add(text.toString().trim());
    }
    return texts;
  }

  /** Drops the first `count` lines. */
  static String skipLines(String text, int count) {
    String rest = text;
    for (int i = 0; i < count && !rest.isEmpty(); ++i) {
      int end = rest.indexOf('\n');
      rest = end < 0 ? "" : rest.substring(end + 1);
    }
    return rest;
  }

  /**
   * The text up to `limit` characters, cut after the last sentence end (".", "!" or "?" before a
   * blank or a line end, or a line end) within it; without one, at the last blank; 0 or less: no
   * limit.
   */
  static String cut(String text, int limit) {
    if (limit <= 0 || text.length() <= limit) return text;
    int end = -1;
    for (int i = 0; i < limit; ++i) {
      char c = text.charAt(i);
      boolean sentence = (c == '.' || c == '!' || c == '?')
          && (i + 1 == text.length() || Character.isWhitespace(text.charAt(i + 1)));
      if (sentence) end = i + 1;
      else if (c == '\n') end = i;
    }
    if (end <= 0) {
      end = text.lastIndexOf(' ', limit);
      if (end <= 0) end = limit;
    }
    return text.substring(0, end).trim();
  }
}
