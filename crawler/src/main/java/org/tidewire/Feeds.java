package org.tidewire;

import java.io.IOException;
import java.util.ArrayList;
import java.util.List;
import java.util.Set;
import org.jsoup.Jsoup;
import org.jsoup.nodes.Document;
import org.jsoup.nodes.Element;
import org.jsoup.parser.Parser;

/**
 * News feeds: RSS 2.0, RSS 1.0 (RDF) and Atom, read with the lenient XML parser of jsoup so that
 * a feed with a broken tag still gives the items before and after it.
 */
final class Feeds {
  private Feeds() {}

  record Item(String title, String link, String description, String date) {}

  record Feed(String title, List<Item> items) {}

  private static final Set<String> ROOTS = Set.of("rss", "rdf:rdf", "feed");

  /** Parses the bytes as XML in their charset (see Charsets); charset is the header's. */
  static Document parseXml(byte[] body, String charset, String baseUri) throws IOException {
    return Jsoup.parse(Charsets.decode(body, charset), baseUri, Parser.xmlParser());
  }

  /** The feed in the document, or null when its first element is not a feed's root. */
  static Feed read(Document xml) {
    Element root = xml.children().isEmpty() ? null : xml.child(0);
    if (root == null || !ROOTS.contains(root.normalName())) return null;
    boolean atom = root.normalName().equals("feed");
    String title = "";
    List<Item> items = new ArrayList<>();
    for (Element element : root.getAllElements()) {
      String name = element.normalName();
      if (title.isEmpty() && (name.equals("channel") || element == root) && !atom) {
        title = childText(element, "title");
      }
      if (atom && element == root) title = childText(element, "title");
      if (!atom && name.equals("item")) {
        String date = childText(element, "pubdate");
        if (date.isEmpty()) date = childText(element, "dc:date");
        String link = childText(element, "link");
        if (link.isEmpty()) link = element.attr("rdf:about");
        items.add(new Item(childText(element, "title"), link, plain(description(element)), date));
      } else if (atom && name.equals("entry")) {
        String date = childText(element, "published");
        if (date.isEmpty()) date = childText(element, "updated");
        String summary = childText(element, "summary");
        if (summary.isEmpty()) summary = childText(element, "content");
        items.add(new Item(childText(element, "title"), atomLink(element), plain(summary), date));
      }
    }
    return new Feed(plain(title), items);
  }

  private static String description(Element item) {
    String text = childText(item, "description");
    return text.isEmpty() ? childText(item, "content:encoded") : text;
  }

  private static String atomLink(Element entry) {
    String any = "";
    for (Element child : entry.children()) {
      if (!child.normalName().equals("link")) continue;
      String rel = child.attr("rel");
      if (rel.isEmpty() || rel.equals("alternate")) return child.attr("href").trim();
      if (any.isEmpty()) any = child.attr("href").trim();
    }
    return any;
  }

  /** The text of the first direct child of that (lower-case) name; empty when there is none. */
  static String childText(Element parent, String name) {
    for (Element child : parent.children()) {
      if (child.normalName().equals(name)) return child.wholeText().trim();
    }
    return "";
  }

  /** Markup inside a feed's text (escaped HTML in a description) reduced to plain text. */
  static String plain(String text) {
    if (text.indexOf('<') < 0 && text.indexOf('&') < 0) return text.trim();
    return Jsoup.parse(text).text().trim();
  }
}
