// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.util.ArrayList;
import java.util.List;
import java.util.Set;
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
 *   <li>The story is found in what is left (see ArticleExtractor); by default its text is read
 *       block by block, each paragraph, heading, list item or line a line of its own.
 *   <li>"Use Paragraph Tag": only the text of the story's "p" elements. Without "Paragraph End
 *       Exists" a paragraph also takes the loose text after it, up to the next block, as pages
 *       whose paragraphs are never closed put it there.
 *   <li>"Use Span Tag": the text of the story's "span" elements outside those paragraphs is
 *       added.
 *   <li>A page whose story holds no text, but whose metadata (JSON-LD) holds the article's body,
 *       gives that body.
 * </ul>
 *
 * Then the first "Number of Lines to Skip" lines are dropped and the text is cut at the end of
 * the last whole sentence within "Number of Characters" (0: no limit), never in a word (see
 * cut).
 */
final class TextRules {
  private TextRules() {}

  static String articleText(String html, String baseUri, ChannelSettings channel) {
    return articleText(html, baseUri, channel, Deadline.NONE);
  }

  /** The article text, while the deadline allows; Deadline.Exceeded when it passes. */
  static String articleText(String html, String baseUri, ChannelSettings channel,
      Deadline deadline) {
    String source = html;
    if (channel.useRemarkString && !channel.startRemarkString.isEmpty()) {
      int start = source.indexOf(channel.startRemarkString);
      if (start < 0) return "";
      start += channel.startRemarkString.length();
      int end = channel.endRemarkString.isEmpty() ? -1 : source.indexOf(channel.endRemarkString, start);
      source = end < 0 ? source.substring(start) : source.substring(start, end);
    }
    Document page = Jsoup.parse(source, baseUri);
    Element story = ArticleExtractor.find(page, deadline);
    List<String> paragraphs = channel.useParagraphTag
        ? paragraphs(story, channel.paragraphEndExists) : new ArrayList<>(List.of(lines(story)));
    paragraphs.removeIf(String::isEmpty);
    if (channel.useSpanTag) {
      // The outermost spans outside paragraphs, each taken once with what it holds.
      outermost(story, Set.of("span"), Set.of("p"), paragraphs);
    }
    if (paragraphs.isEmpty()) {
      String body = Metadata.articleBody(page);
      if (!body.isEmpty()) paragraphs.add(body);
    }
    return cut(skipLines(String.join("\n", paragraphs), channel.linesToSkip),
        channel.numberOfCharacters);
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
   * The element's text as a reader sees it: blanks collapsed, each block (paragraph, heading,
   * list item, cell) and each line break ("br") starting a new line, each line trimmed, empty
   * lines left out.
   */
  static String lines(Element element) {
    StringBuilder text = new StringBuilder();
    NodeTraversor.traverse(new NodeVisitor() {
      @Override
      public void head(Node node, int depth) {
        if (node instanceof TextNode textNode) {
          StringUtil.appendNormalisedWhitespace(text, textNode.getWholeText(), false);
        } else if (node instanceof Element e && (e.isBlock() || e.normalName().equals("br"))) {
          text.append('\n');
        }
      }

      @Override
      public void tail(Node node, int depth) {
        if (node instanceof Element e && e.isBlock()) text.append('\n');
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

  private static List<String> paragraphs(Element page, boolean paragraphEndExists) {
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
   * The text up to `limit` characters, cut after the last whole sentence within it: a sentence
   * ends at ".", "!", "?" or "…" (closing quotes or brackets after it included) before a blank or
   * the text's end, at an ideographic full stop, or at a line end. Without one, the text is cut
   * after its last whole word; in a word only where words are not set apart by blanks (Chinese,
   * Japanese); otherwise nothing is left. 0 or less: no limit.
   */
  static String cut(String text, int limit) {
    if (limit <= 0 || text.length() <= limit) return text;
    int end = -1;
    for (int i = 0; i < limit; ++i) {
      char c = text.charAt(i);
      if (c == '\n') {
        end = i;
      } else if (c == '\u3002' || c == '\uFF01' || c == '\uFF1F') {
        end = i + 1;
      } else if (c == '.' || c == '!' || c == '?' || c == '\u2026') {
        int after = i + 1;
        while (after < limit && CLOSING.indexOf(text.charAt(after)) >= 0) ++after;
        if (after == text.length() || Character.isWhitespace(text.charAt(after))) end = after;
      }
    }
    if (end <= 0) {
      // The last whole word: the text before the last blank, or mark of punctuation before a
      // blank ("it, then"), at or before the limit.
      for (int i = limit; i > 0 && end <= 0; --i) {
        char c = text.charAt(i);
        boolean endsWord = !Character.isLetterOrDigit(c)
            && (i + 1 == text.length() || Character.isWhitespace(text.charAt(i + 1)));
        if (Character.isWhitespace(c) || endsWord) end = i;
      }
    }
    if (end <= 0) {
      int at = Character.isLowSurrogate(text.charAt(limit)) ? limit - 1 : limit;
      end = at > 0 && Character.isIdeographic(text.codePointBefore(at)) ? at : 0;
    }
    return text.substring(0, end).trim();
  }

  private static final String CLOSING = "\"')]}\u201d\u2019\u00bb\u300d\u300f";
}
