// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.io.IOException;
import java.io.PrintStream;
import java.net.URI;
import java.nio.charset.StandardCharsets;
import java.time.OffsetDateTime;
import java.time.ZonedDateTime;
import java.time.format.DateTimeFormatter;
import java.time.format.DateTimeParseException;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.LinkedHashSet;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Set;
import java.util.concurrent.ConcurrentHashMap;
import org.jsoup.Jsoup;
import org.jsoup.nodes.Document;
import org.jsoup.nodes.Element;

/**
 * Finds the news feeds of an address as feed readers do: the address itself when it is a feed;
 * else the feeds its page names in {@code <link rel="alternate">} (RSS, Atom, RDF); else the first
 * of the usual places of a site that is a feed. Started beside the crawler with the address as
 * its one argument, it prints one JSON object on standard output:
 *
 * <pre>
 * {"address": "...", "feeds": [{"url": "...", "title": "...", "items": 12,
 *   "newest": ["...", "...", "..."], "language": "en"}], "error": "..."}
 * </pre>
 *
 * <p>The search follows the crawler's rules for hostile sites: http and https only (a redirect
 * elsewhere, "file:" included, is refused), the size and redirect limits of a document, and one
 * time limit for the whole search (the document limit, 60 seconds). The answer is ASCII (other
 * characters as JSON escapes), so the reader's locale never matters. Exit code: 0 when a feed was
 * found, 1 when none was (the error says why), 2 for a wrong command line.
 */
public final class FeedFinder {
  /** The usual places of a site's feed, tried in this order from its root. */
  static final List<String> USUAL_PLACES =
      List.of("/feed", "/rss", "/atom.xml", "/rss.xml", "/index.xml", "/feed.xml");

  /** The alternate links of a page that are read; a page may name hundreds. */
  static final int MAX_ALTERNATES = 8;

  /** Characters kept of a feed's title and of each item title shown. */
  static final int MAX_TITLE_CHARS = 200;

  private static final Set<String> FEED_TYPES = Set.of("application/rss+xml",
      "application/atom+xml", "application/rdf+xml", "application/rss", "application/atom");

  /** A feed found: its address, title, item count, newest item titles and language. */
  record Found(String url, String title, int items, List<String> newest, String language) {}

  /** What a search found; error says why nothing was, empty when something was. */
  record Result(String address, List<Found> feeds, String error) {}

  private FeedFinder() {}

  public static void main(String[] args) {
    if (args.length != 1) {
      System.err.println("usage: java org.tidewire.FeedFinder ADDRESS");
      System.exit(2);
    }
    Result result = find(args[0], Limits.standard());
    PrintStream out = new PrintStream(System.out, true, StandardCharsets.US_ASCII);
    out.println(json(result));
    out.flush();
    System.exit(result.feeds().isEmpty() ? 1 : 0);
  }

  /** The feeds of the address, found within limits.document() as a whole. */
  static Result find(String typed, Limits limits) {
    String address = typed.trim();
    if (address.isEmpty()) return new Result("", List.of(), "no address was given");
    if (!address.contains("://")) address = "https://" + address;
    URI start;
    try {
      start = new URI(address);
    } catch (Exception e) {
      return new Result(address, List.of(), "not a web address");
    }
    if (!Fetcher.isFetchable(start)) {
      return new Result(address, List.of(), "not a web address (only http and https are read)");
    }
    Map<String, Robots> robots = new ConcurrentHashMap<>();
    Fetcher fetcher = new Fetcher(limits, System.nanoTime() + limits.document().toNanos(), robots);
    Fetcher.Response page;
    try {
      page = fetcher.get(start);
    } catch (IOException e) {
      return new Result(address, List.of(), "cannot read " + address + ": " + e.getMessage());
    }
    Found itself = feedAt(page);
    if (itself != null) return new Result(page.uri().toString(), List.of(itself), "");

    List<Found> found = new ArrayList<>();
    Document html = Jsoup.parse(Charsets.decode(page.body(), page.charset()),
        page.base().toString());
    for (URI alternate : alternates(html, page.base())) {
      if (fetcher.channelTimeIsUp()) break;
      Found feed = fetchFeed(fetcher, alternate);
      if (feed != null && found.stream().noneMatch(f -> f.url().equals(feed.url()))) {
        found.add(feed);
      }
    }
    if (found.isEmpty()) {
      for (String place : USUAL_PLACES) {
        if (fetcher.channelTimeIsUp()) break;
        Found feed = fetchFeed(fetcher, page.uri().resolve(place));
        if (feed != null) {
          found.add(feed);
          break;
        }
      }
    }
    String error = found.isEmpty()
        ? (fetcher.channelTimeIsUp()
            ? "no feed found within " + Limits.words(limits.document())
            : "no feed found at " + page.uri())
        : "";
    return new Result(page.uri().toString(), found, error);
  }

  /** The feed addresses a page names in its head or body, in order, at most MAX_ALTERNATES. */
  static List<URI> alternates(Document html, URI base) {
    Set<URI> addresses = new LinkedHashSet<>();
    for (Element link : html.select("link[rel][href], a[rel][href][type]")) {
      if (addresses.size() == MAX_ALTERNATES) break;
      boolean alternate = false;
      for (String rel : link.attr("rel").toLowerCase(Locale.ROOT).split("\\s+")) {
        if (rel.equals("alternate")) alternate = true;
      }
      String type = ChannelCrawler.mediaType(link.attr("type"));
      if (!alternate || !FEED_TYPES.contains(type)) continue;
      try {
        URI address = base.resolve(link.attr("href").trim().replace(" ", "%20"));
        if (Fetcher.isFetchable(address)) addresses.add(address);
      } catch (IllegalArgumentException e) {
        // an address that does not parse is not a feed
      }
    }
    return new ArrayList<>(addresses);
  }

  private static Found fetchFeed(Fetcher fetcher, URI address) {
    try {
      return feedAt(fetcher.get(address));
    } catch (IOException | RuntimeException e) {
      return null;
    }
  }

  /** The feed a response holds, or null when it holds none. */
  static Found feedAt(Fetcher.Response response) {
    if (response.isEmpty()) return null;
    Document xml;
    Feeds.Feed feed;
    try {
      xml = Feeds.parseXml(response.body(), response.charset(), response.base().toString());
      feed = Feeds.read(xml);
    } catch (IOException | RuntimeException e) {
      return null;
    }
    if (feed == null) return null;
    List<Feeds.Item> items = new ArrayList<>(feed.items());
    // Newest first where every item has a date; else the feed's own order.
    if (items.stream().allMatch(item -> epochSeconds(item.date()) != null)) {
      items.sort(Comparator.comparing((Feeds.Item item) -> epochSeconds(item.date())).reversed());
    }
    List<String> newest = new ArrayList<>();
    for (Feeds.Item item : items) {
      if (newest.size() == 3) break;
      if (!item.title().isBlank()) newest.add(shorten(item.title()));
    }
    return new Found(response.uri().toString(), shorten(feed.title()), feed.items().size(), newest,
        feed.language());
  }

  /** A title on one line, at most MAX_TITLE_CHARS characters, cut at a word where it is long. */
  static String shorten(String title) {
    String line = title.replaceAll("\\s+", " ").strip();
    if (line.length() <= MAX_TITLE_CHARS) return line;
    int blank = line.lastIndexOf(' ', MAX_TITLE_CHARS);
    return line.substring(0, blank > MAX_TITLE_CHARS / 2 ? blank : MAX_TITLE_CHARS) + "...";
  }

  private static Long epochSeconds(String date) {
    String text = date.trim();
    if (text.isEmpty()) return null;
    try {
      return ZonedDateTime.parse(text, DateTimeFormatter.RFC_1123_DATE_TIME).toEpochSecond();
    } catch (DateTimeParseException e) {
      // not RFC 822
    }
    try {
      return OffsetDateTime.parse(text).toEpochSecond();
    } catch (DateTimeParseException e) {
      return null;
    }
  }

  /** The result as one JSON object of ASCII characters. */
  static String json(Result result) {
    StringBuilder out = new StringBuilder("{\"address\":");
    string(out, result.address());
    out.append(",\"feeds\":[");
    for (int i = 0; i < result.feeds().size(); ++i) {
      Found feed = result.feeds().get(i);
      if (i > 0) out.append(',');
      out.append("{\"url\":");
      string(out, feed.url());
      out.append(",\"title\":");
      string(out, feed.title());
      out.append(",\"items\":").append(feed.items()).append(",\"newest\":[");
      for (int j = 0; j < feed.newest().size(); ++j) {
        if (j > 0) out.append(',');
        string(out, feed.newest().get(j));
      }
      out.append("],\"language\":");
      string(out, feed.language());
      out.append('}');
    }
    out.append("],\"error\":");
    string(out, result.error());
    return out.append('}').toString();
  }

  private static void string(StringBuilder out, String text) {
    out.append('"');
    for (int i = 0; i < text.length(); ++i) {
      char c = text.charAt(i);
      if (c == '"' || c == '\\') {
        out.append('\\').append(c);
      } else if (c >= 0x20 && c < 0x7f) {
        out.append(c);
      } else {
        out.append(String.format(Locale.ROOT, "\\u%04x", (int) c));
      }
    }
    out.append('"');
  }
}
