package org.tidewire;

import java.io.IOException;
import java.net.URI;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Base64;
import java.util.List;
import java.util.Locale;
import java.util.Set;
import org.jsoup.Jsoup;
import org.jsoup.nodes.Document;
import org.jsoup.nodes.Element;
import org.jsoup.parser.Parser;

/**
 * News feeds of every dialect, read with the lenient XML parser of jsoup so that a feed with a
 * broken tag still gives the items before and after it:
 *
 * <ul>
 *   <li>RSS 0.90 to 2.0 and RSS 1.0 (RDF), their elements with or without a namespace prefix
 *       ("rss:item"); Atom 0.3 and 1.0; CDF.
 *   <li>Titles are plain text as a feed reader shows them: escaped markup and entities in them
 *       are read as HTML (an Atom title of type "text" stays as it is); a title only in
 *       "dc:title" counts.
 *   <li>An item's link: RSS "link" (its text or href), else a "guid" that is a permanent link
 *       (isPermaLink not "false", and an http or https address), else "rdf:about"; Atom's
 *       alternate link, else any link, else "id" when it is an http or https address; CDF's HREF.
 *       Relative links are resolved by the xml:base of the feed, the entry and the element, and
 *       the document's own address (its Content-Location where the answer gives one).
 *   <li>An item's text, spoken when its page cannot be read: "content:encoded", "xhtml:body",
 *       "description", "itunes:summary" or "media:description" in RSS; Atom "content" (text,
 *       HTML, XHTML or base64) or "summary"; CDF "abstract".
 * </ul>
 */
final class Feeds {
  private Feeds() {}

  record Item(String title, String link, String description, String date) {}

  /** A feed; its language is what it declares (see Languages), or "". */
  record Feed(String title, List<Item> items, String language) {
    Feed(String title, List<Item> items) {
      this(title, items, "");
    }
  }

  /** Prefixes under which RSS elements appear; others ("media:title") are other vocabularies. */
  private static final Set<String> RSS_PREFIXES = Set.of("", "rss", "rss1", "rdf");

  /** Parses the bytes as XML in their charset (see Charsets); charset is the header's. */
  static Document parseXml(byte[] body, String charset, String baseUri) throws IOException {
    return Jsoup.parse(Charsets.decode(body, charset), baseUri, Parser.xmlParser());
  }

  /** The feed in the document, or null when its first element is not a feed's root. */
  static Feed read(Document xml) {
    Feed feed = readDialect(xml);
    return feed == null ? null : new Feed(feed.title(), feed.items(), Languages.ofFeed(xml));
  }

  private static Feed readDialect(Document xml) {
    Element root = xml.children().isEmpty() ? null : xml.child(0);
    if (root == null) return null;
    String rootName = local(root);
    if (rootName.equals("feed")) return atom(root, xml.location());
    if (rootName.equals("rss") || rootName.equals("rdf")) return rss(root, xml.location());
    if (rootName.equals("channel") && hasAttribute(root, "href")) return cdf(root, xml.location());
    return null;
  }

  private static Feed rss(Element root, String documentBase) {
    String title = "";
    List<Item> items = new ArrayList<>();
    for (Element element : root.getAllElements()) {
      String name = local(element);
      if (!RSS_PREFIXES.contains(prefix(element))) continue;
      if (title.isEmpty() && name.equals("channel")) title = plain(rssTitle(element));
      if (!name.equals("item") || hasAncestorItem(element)) continue;
      String date = childText(element, "pubdate");
      if (date.isEmpty()) date = childText(element, "dc:date");
      String link = rssLink(element);
      Element linkElement = firstChild(element, "link");
      items.add(new Item(plain(rssTitle(element)),
          resolve(linkElement != null ? linkElement : element, link, documentBase),
          plain(rssText(element)), date));
    }
    return new Feed(title, items);
  }

  private static boolean hasAncestorItem(Element element) {
    int steps = 0;
    for (Element e = element.parent(); e != null && steps++ < 64; e = e.parent()) {
      if (local(e).equals("item")) return true;
    }
    return false;
  }

  private static String rssTitle(Element element) {
    String title = childText(element, "title");
    return title.isEmpty() ? childText(element, "dc:title") : title;
  }

  private static String rssLink(Element item) {
    Element link = firstChild(item, "link");
    if (link != null) {
      String text = link.wholeText().trim();
      if (!text.isEmpty()) return text;
      if (!link.attr("href").isBlank()) return link.attr("href").trim();
    }
    for (Element child : item.children()) {
      if (!local(child).equals("guid")) continue;
      String guid = child.wholeText().trim();
      if (!child.attr("isPermaLink").trim().equalsIgnoreCase("false") && isWebAddress(guid)) {
        return guid;
      }
    }
    for (Element child : item.children()) {
      if (child.normalName().equals("atom:link") && !child.attr("href").isBlank()) {
        return child.attr("href").trim();
      }
    }
    return item.attr("rdf:about").trim();
  }

  /** The item's fullest text: its content before its summary. */
  private static String rssText(Element item) {
    for (String name : List.of("content:encoded", "xhtml:body", "description", "itunes:summary")) {
      Element child = firstChild(item, name);
      if (child == null) continue;
      String text = name.equals("xhtml:body") ? child.text() : child.wholeText().trim();
      if (!text.isEmpty()) return text;
    }
    for (Element media : item.getElementsByTag("media:description")) {
      String text = media.wholeText().trim();
      if (!text.isEmpty()) return text;
    }
    return "";
  }

  private static Feed atom(Element root, String documentBase) {
    String title = atomText(firstChild(root, "title"));
    List<Item> items = new ArrayList<>();
    for (Element entry : root.getAllElements()) {
      if (!local(entry).equals("entry")) continue;
      String date = childText(entry, "published");
      if (date.isEmpty()) date = childText(entry, "updated");
      if (date.isEmpty()) date = childText(entry, "issued");
      String text = atomText(firstChild(entry, "content"));
      if (text.isEmpty()) text = atomText(firstChild(entry, "summary"));
      items.add(new Item(atomText(firstChild(entry, "title")), atomLink(entry, documentBase),
          text, date));
    }
    return new Feed(title, items);
  }

  /** An Atom text construct as plain text, by its type (and Atom 0.3's base64 mode). */
  private static String atomText(Element element) {
    if (element == null) return "";
    String type = element.attr("type").trim().toLowerCase(Locale.ROOT);
    String mode = element.attr("mode").trim().toLowerCase(Locale.ROOT);
    if (mode.equals("base64") || type.equals("base64")) {
      try {
        byte[] decoded = Base64.getMimeDecoder().decode(element.wholeText().trim());
        return plain(new String(decoded, StandardCharsets.UTF_8));
      } catch (IllegalArgumentException e) {
        return "";
      }
    }
    if (type.equals("xhtml") || type.equals("application/xhtml+xml")) {
      return element.text().trim();
    }
    String text = element.wholeText().trim();
    return type.equals("text") || type.equals("text/plain") ? text : plain(text);
  }

  private static String atomLink(Element entry, String documentBase) {
    Element any = null;
    for (Element child : entry.children()) {
      if (!local(child).equals("link")) continue;
      String rel = child.attr("rel").trim();
      if (child.attr("href").isBlank()) continue;
      if (rel.isEmpty() || rel.equals("alternate")) {
        return resolve(child, child.attr("href").trim(), documentBase);
      }
      if (any == null && !rel.equals("self") && !rel.equals("edit") && !rel.equals("replies")) {
        any = child;
      }
    }
    if (any != null) return resolve(any, any.attr("href").trim(), documentBase);
    Element link = firstChild(entry, "link");
    if (link != null && !link.wholeText().isBlank()) {
      return resolve(link, link.wholeText().trim(), documentBase);
    }
    String id = childText(entry, "id");
    return isWebAddress(id) ? id : "";
  }

  /** CDF: a CHANNEL of ITEMs, each with its address in HREF, a TITLE and an ABSTRACT. */
  private static Feed cdf(Element root, String documentBase) {
    List<Item> items = new ArrayList<>();
    for (Element item : root.getAllElements()) {
      if (!local(item).equals("item")) continue;
      items.add(new Item(plain(childText(item, "title")),
          resolve(item, attribute(item, "href"), documentBase), plain(childText(item, "abstract")),
          attribute(item, "lastmod")));
    }
    return new Feed(plain(childText(root, "title")), items);
  }

  private static boolean isWebAddress(String text) {
    String lower = text.toLowerCase(Locale.ROOT);
    return (lower.startsWith("http://") || lower.startsWith("https://")) && !lower.contains(" ");
  }

  /**
   * The link resolved against the xml:base of the element and its ancestors and the document's
   * address; the link as it stands when that fails or it is empty.
   */
  static String resolve(Element element, String link, String documentBase) {
    if (link.isEmpty()) return link;
    List<String> bases = new ArrayList<>();
    int steps = 0;
    for (Element e = element; e != null && steps++ < 64; e = e.parent()) {
      String base = e.attr("xml:base").trim();
      if (!base.isEmpty()) bases.add(base);
    }
    if (bases.isEmpty()) return link;
    try {
      URI base = documentBase.isEmpty() ? null : new URI(documentBase);
      for (int i = bases.size() - 1; i >= 0; --i) {
        URI next = new URI(bases.get(i).replace(" ", "%20"));
        base = base == null ? next : base.resolve(next);
      }
      return base.resolve(new URI(link.replace(" ", "%20"))).toString();
    } catch (Exception e) {
      return link;
    }
  }

  private static String local(Element element) {
    String name = element.normalName();
    int colon = name.indexOf(':');
    return colon < 0 ? name : name.substring(colon + 1);
  }

  private static String prefix(Element element) {
    String name = element.normalName();
    int colon = name.indexOf(':');
    return colon < 0 ? "" : name.substring(0, colon);
  }

  private static boolean hasAttribute(Element element, String name) {
    return !attribute(element, name).isEmpty();
  }

  private static String attribute(Element element, String name) {
    String value = element.attributes().getIgnoreCase(name);
    return value == null ? "" : value.trim();
  }

  /**
   * The first direct child of that name: a name with a prefix ("dc:title") as it stands, a plain
   * name ("title") also under an RSS prefix ("rss:title") and in any letter case.
   */
  private static Element firstChild(Element parent, String name) {
    boolean prefixed = name.indexOf(':') >= 0;
    for (Element child : parent.children()) {
      if (prefixed ? child.normalName().equals(name)
          : local(child).equals(name) && RSS_PREFIXES.contains(prefix(child))) {
        return child;
      }
      if (!prefixed && child.normalName().equals("atom:" + name)) return child;
    }
    return null;
  }

  /** The text of the first direct child of that name (see firstChild); empty when none. */
  static String childText(Element parent, String name) {
    Element child = firstChild(parent, name);
    return child == null ? "" : child.wholeText().trim();
  }

  /** Markup and entities inside a feed's text (escaped HTML) reduced to plain text. */
  static String plain(String text) {
    if (text.indexOf('<') < 0 && text.indexOf('&') < 0) return text.trim();
    return Jsoup.parse(text).text().trim();
  }
}
