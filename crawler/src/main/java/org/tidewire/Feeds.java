// SPDX-License-Identifier: GPL-3.0-or-later
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
 *       ("rss:item", or the root's own: "r:rss" with "r:item"), also RSS items inside an Atom
 *       feed and a "channel" without its "rss"; Atom 0.3 and 1.0; CDF, its names in capitals.
 *   <li>Titles are plain text as a feed reader shows them: escaped markup and entities in them
 *       are read as HTML (an Atom title of type "text" stays as it is); a title only in
 *       "dc:title" counts.
 *   <li>An item's link: RSS "link" (its text or href), else a "guid" that is a permanent link
 *       (isPermaLink not "false", and an http or https address), else "rdf:about"; Atom's
 *       alternate link, else any link, else "id" when it is an http or https address or one
 *       relative to the entry's base; CDF's HREF.
 *       Relative links are resolved by the xml:base of the feed, the entry and the element, and
 *       the document's own address (its Content-Location where the answer gives one).
 *   <li>An item's text, spoken when its page cannot be read: "content:encoded", an XHTML "body"
 *       under any prefix, "fullitem", "description", "dc:description", "itunes:summary" or
 *       "media:description" in RSS; Atom "content" (text, HTML, XHTML or base64: only
 *       well-formed base64 of UTF-8), "summary" or "media:description"; CDF "abstract". Of its
 *       markup only what a reader sees is read: no script, style, template or hidden element.
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
    if (rootName.equals("channel")) {
      // CDF's CHANNEL (in capitals, or with an HREF); else RSS items without their "rss".
      boolean cdf = root.tagName().equals("CHANNEL") || hasAttribute(root, "href");
      return cdf ? cdf(root, xml.location()) : rss(root, xml.location());
    }
    return null;
  }

  private static Feed rss(Element root, String documentBase) {
    String title = "";
    List<Item> items = new ArrayList<>();
    String rootPrefix = prefix(root);
    if (!RSS_PREFIXES.contains(rootPrefix)) {
      // "r:rss": the root's own prefix is RSS's too; its elements are read without it.
      for (Element element : root.getAllElements()) {
        if (prefix(element).equals(rootPrefix)) element.tagName(local(element));
      }
    }
    for (Element element : root.getAllElements()) {
      String name = local(element);
      if (!RSS_PREFIXES.contains(prefix(element))) continue;
      if (title.isEmpty() && name.equals("channel")) title = plain(rssTitle(element));
      if (!name.equals("item") || hasAncestorItem(element)) continue;
      items.add(rssItem(element, documentBase));
    }
    return new Feed(title, items);
  }

  private static Item rssItem(Element element, String documentBase) {
    String date = childText(element, "pubdate");
    if (date.isEmpty()) date = childText(element, "dc:date");
    Element linkElement = firstChild(element, "link");
    return new Item(plain(rssTitle(element)),
        resolve(linkElement != null ? linkElement : element, rssLink(element), documentBase),
        rssText(element), date);
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

  /**
   * The item's fullest text, as a reader sees it: its content ("content:encoded", an XHTML
   * "body" under any prefix or none, "fullitem") before its summary ("description",
   * "dc:description", "itunes:summary", "media:description").
   */
  private static String rssText(Element item) {
    for (Element child : item.children()) {
      if (child.normalName().equals("content:encoded")) {
        String text = plain(child.wholeText());
        if (!text.isEmpty()) return text;
      }
    }
    for (Element child : item.children()) {
      if (local(child).equals("body")) {
        String text = xhtmlText(child);
        if (!text.isEmpty()) return text;
      }
    }
    for (String name : List.of("fullitem", "description", "dc:description", "itunes:summary")) {
      Element child = firstChild(item, name);
      String text = child == null ? "" : plain(child.wholeText());
      if (!text.isEmpty()) return text;
    }
    return mediaDescription(item);
  }

  private static String mediaDescription(Element item) {
    for (Element media : item.getElementsByTag("media:description")) {
      String text = plain(media.wholeText());
      if (!text.isEmpty()) return text;
    }
    return "";
  }

  /**
   * The text a reader sees of XHTML inside a feed: its elements read by their local names (an
   * "xhtml:script" is a script), and what is not seen left out (see ArticleExtractor).
   */
  private static String xhtmlText(Element element) {
    Element copy = element.clone();
    for (Element inner : copy.getAllElements()) inner.tagName(local(inner));
    return ArticleExtractor.visibleText(copy.html());
  }

  private static Feed atom(Element root, String documentBase) {
    String title = atomText(firstChild(root, "title"));
    List<Item> items = new ArrayList<>();
    for (Element entry : root.getAllElements()) {
      if (local(entry).equals("item") && RSS_PREFIXES.contains(prefix(entry))
          && !hasAncestorItem(entry)) {
        items.add(rssItem(entry, documentBase)); // RSS items inside an Atom feed
        continue;
      }
      if (!local(entry).equals("entry")) continue;
      String date = childText(entry, "published");
      if (date.isEmpty()) date = childText(entry, "updated");
      if (date.isEmpty()) date = childText(entry, "issued");
      String text = atomText(firstChild(entry, "content"));
      if (text.isEmpty()) text = atomText(firstChild(entry, "summary"));
      if (text.isEmpty()) text = mediaDescription(entry);
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
      // Only well-formed base64 of UTF-8 text is read: anything else would be junk spoken.
      try {
        byte[] decoded = Base64.getDecoder().decode(element.wholeText().replaceAll("\\s+", ""));
        if (!Charsets.decodesCleanly(decoded, StandardCharsets.UTF_8)) return "";
        String text = new String(decoded, StandardCharsets.UTF_8);
        return type.equals("text") || type.equals("text/plain") ? text.trim() : plain(text);
      } catch (IllegalArgumentException e) {
        return "";
      }
    }
    if (type.equals("xhtml") || type.equals("application/xhtml+xml")) {
      return xhtmlText(element);
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
    // An entry whose only link is its id: a web address, or one relative to its base.
    Element id = firstChild(entry, "id");
    String text = id == null ? "" : id.wholeText().trim();
    if (text.isEmpty() || isWebAddress(text)) return text;
    if (text.contains(" ") || text.matches("^[a-zA-Z][a-zA-Z0-9+.-]*:.*")) return ""; // urn:, tag:
    String resolved = resolve(id, text, documentBase);
    if (!isWebAddress(resolved) && !documentBase.isEmpty()) {
      try {
        resolved = new URI(documentBase).resolve(new URI(text)).toString();
      } catch (Exception e) {
        return "";
      }
    }
    return isWebAddress(resolved) ? resolved : "";
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

  /**
   * Markup and entities inside a feed's text (escaped HTML) reduced to the plain text a reader
   * sees (see ArticleExtractor.visibleText).
   */
  static String plain(String text) {
    if (text.indexOf('<') < 0 && text.indexOf('&') < 0) return text.trim();
    return ArticleExtractor.visibleText(text);
  }
}
