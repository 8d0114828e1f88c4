package org.tidewire;

import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import java.util.Set;
import java.util.regex.Pattern;
import org.jsoup.Jsoup;
import org.jsoup.internal.StringUtil;
import org.jsoup.nodes.Document;
import org.jsoup.nodes.Element;
import org.jsoup.nodes.Node;
import org.jsoup.nodes.TextNode;
import org.jsoup.select.NodeFilter;
import org.jsoup.select.NodeTraversor;
import org.jsoup.select.NodeVisitor;

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
 * What a reader does not see is never taken: elements marked hidden (the "hidden" attribute,
 * aria-hidden="true", an inline display:none or visibility:hidden), templates, objects and text
 * areas. A line break inside a block starts a new line. Then the first "Number of Lines to Skip"
 * lines are dropped and the text is cut at the last sentence end within "Number of Characters"
 * (0: no limit). Every step takes time in proportion to the page, however deep its nesting.
 */
final class TextRules {
  private TextRules() {}

  private static final Set<String> LEFT_OUT =
      Set.of("nav", "header", "footer", "aside", "form", "script", "style", "noscript", "template",
          "button", "select", "iframe", "svg", "object", "textarea", "[hidden]");
  private static final Pattern HIDDEN_STYLE =
      Pattern.compile("(?:^|;)\\s*(?:display\\s*:\\s*none|visibility\\s*:\\s*hidden)\\b");
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
    for (Element element : page.select("[style], [aria-hidden]")) {
      if (HIDDEN_STYLE.matcher(element.attr("style").toLowerCase(Locale.ROOT)).find()
          || element.attr("aria-hidden").trim().equalsIgnoreCase("true")) {
        element.remove();
      }
    }
    List<String> paragraphs =
        channel.useParagraphTag ? paragraphs(page, channel.paragraphEndExists) : blocks(page);
    if (channel.useSpanTag) {
      // The outermost spans outside paragraphs, each taken once with what it holds.
      outermost(page.body(), Set.of("span"), Set.of("p"), paragraphs);
    }
    return cut(skipLines(String.join("\n", paragraphs), channel.linesToSkip),
        channel.numberOfCharacters);
  }

  private static List<String> blocks(Document page) {
    Element scope = page.selectFirst("article");
    if (scope == null) scope = page.selectFirst("main");
    if (scope == null) scope = page.body();
    List<String> texts = new ArrayList<>();
    // A block inside another block is taken with its enclosing block.
    outermost(scope, BLOCKS, Set.of(), texts);
    if (texts.isEmpty()) {
      String text = lines(scope);
      if (!text.isEmpty()) texts.add(text);
    }
    return texts;
  }

  /**
   * Adds the text of every element named in `taken` below root that lies in no other taken
   * element and in no element named in `passed`, in document order; one walk over the tree.
   */
  private static void outermost(Element root, Set<String> taken, Set<String> passed,
      List<String> texts) {
    NodeTraversor.filter(new NodeFilter() {
      @Override
      public FilterResult head(Node node, int depth) {
        if (node == root || !(node instanceof Element element)) return FilterResult.CONTINUE;
        if (passed.contains(element.normalName())) return FilterResult.SKIP_ENTIRELY;
        if (!taken.contains(element.normalName())) return FilterResult.CONTINUE;
        String text = lines(element);
        if (!text.isEmpty()) texts.add(text);
        return FilterResult.SKIP_ENTIRELY;
      }

      @Override
      public FilterResult tail(Node node, int depth) {
        return FilterResult.CONTINUE;
      }
    }, root);
  }

  /**
   * The element's text as a reader sees it: blanks collapsed, a line break ("br") kept as a new
   * line, each line trimmed, empty lines left out.
   */
  static String lines(Element element) {
    StringBuilder text = new StringBuilder();
    NodeTraversor.traverse(new NodeVisitor() {
      @Override
      public void head(Node node, int depth) {
        if (node instanceof TextNode textNode) {
          StringUtil.appendNormalisedWhitespace(text, textNode.getWholeText(), false);
        } else if (node instanceof Element e && e.normalName().equals("br")) {
          text.append('\n');
        } else if (node instanceof Element e && e.isBlock()) {
          text.append(' ');
        }
      }

      @Override
      public void tail(Node node, int depth) {
        if (node instanceof Element e && e.isBlock()) text.append(' ');
      }
    }, element);
    StringBuilder out = new StringBuilder(text.length());
    for (String line : text.toString().split("\n")) {
      String trimmed = line.strip().replaceAll(" {2,}", " ");
      if (trimmed.isEmpty()) continue;
      if (out.length() > 0) out.append('\n');
      out.append(trimmed);
    }
    return out.toString();
  }

  private static List<String> paragraphs(Document page, boolean paragraphEndExists) {
    List<String> texts = new ArrayList<>();
    for (Element paragraph : page.select("p")) {
      StringBuilder text = new StringBuilder(lines(paragraph));
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
