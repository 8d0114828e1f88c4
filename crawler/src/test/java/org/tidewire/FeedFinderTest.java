// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertTrue;

import java.time.Duration;
import java.util.List;
import org.junit.Test;

public class FeedFinderTest {
  private static final String HTML = "text/html; charset=utf-8";

  private static String item(String title, String date) {
    return "<title>" + title + "</title><link>/a/" + title.hashCode() + "</link><pubDate>" + date
        + "</pubDate>";
  }

  // A page naming an RSS and an Atom feed (and a stylesheet and a comments feed of another
  // kind): both feeds, in the page's order, with title, item count, the three newest titles by
  // date and the declared language; the usual places are not tried.
  @Test
  public void pageWithTwoAlternateFeeds() {
    try (TestSite site = new TestSite()) {
      site.page("/", HTML, "<html><head><title>Home</title>"
              + "<link rel=\"stylesheet\" href=\"/style.css\">"
              + "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/news.rss\">"
              + "<link rel=\"Alternate Feed\" type=\"application/atom+xml; charset=utf-8\" "
              + "href=\"atom\">"
              + "<link rel=\"alternate\" type=\"application/json\" href=\"/comments.json\">"
              + "</head><body>Hello</body></html>")
          .page("/news.rss", "application/rss+xml", "<rss><channel><title>Caf\u00e9 \"News\""
              + "</title><language>fr-FR</language>"
              + "<item>" + item("Old", "Mon, 07 Dec 2026 08:00:00 GMT") + "</item>"
              + "<item>" + item("Newest", "Wed, 09 Dec 2026 08:00:00 GMT") + "</item>"
              + "<item>" + item("Oldest", "Sun, 06 Dec 2026 08:00:00 GMT") + "</item>"
              + "<item>" + item("Newer", "Tue, 08 Dec 2026 08:00:00 +0100") + "</item>"
              + "</channel></rss>")
          .page("/atom", "application/atom+xml", "<feed xmlns=\"http://www.w3.org/2005/Atom\" "
              + "xml:lang=\"de\"><title>Atom side</title><entry><title>Eins</title>"
              + "<link href=\"/e/1\"/></entry></feed>");
      FeedFinder.Result result = FeedFinder.find(site.base + "/", Limits.standard());
      assertEquals("", result.error());
      assertEquals(2, result.feeds().size());
      FeedFinder.Found rss = result.feeds().get(0);
      assertEquals(site.base + "/news.rss", rss.url());
      assertEquals("Caf\u00e9 \"News\"", rss.title());
      assertEquals(4, rss.items());
      assertEquals(List.of("Newest", "Newer", "Old"), rss.newest());
      assertEquals("fr-FR", rss.language());
      assertEquals(new FeedFinder.Found(site.base + "/atom", "Atom side", 1, List.of("Eins"), "de"),
          result.feeds().get(1));
      assertEquals(0, site.count("GET /feed"));
      assertEquals(0, site.count("GET /comments.json"));
      // One line of ASCII that any reader takes: quotes and non-ASCII escaped.
      String json = FeedFinder.json(result);
      assertTrue(json, json.contains("\"title\":\"Caf\\u00e9 \\\"News\\\"\""));
      assertTrue(json, json.chars().allMatch(c -> c >= 0x20 && c < 0x7f));
    }
  }

  // A page without alternate links: the usual places in order, the first feed wins.
  @Test
  public void pageWithoutAlternatesFindsTheUsualPlace() {
    try (TestSite site = new TestSite()) {
      site.html("/blog/post.html", "Post", "Text.")
          .page("/rss", "application/rss+xml", TestSite.rss("Site news", item("One", "")))
          .page("/atom.xml", "application/atom+xml", "<feed><title>Not this</title></feed>");
      FeedFinder.Result result = FeedFinder.find(site.base + "/blog/post.html", Limits.standard());
      assertEquals(1, result.feeds().size());
      assertEquals(site.base + "/rss", result.feeds().get(0).url());
      assertEquals(List.of("GET /blog/post.html", "GET /feed", "GET /rss"), site.requests);
    }
  }

  // The address a feed: that feed alone, in the feed's order where items have no dates.
  @Test
  public void addressThatIsAFeed() {
    try (TestSite site = new TestSite()) {
      site.page("/feed.xml", "text/xml", TestSite.rss("Itself", item("A", ""), item("B", "")));
      FeedFinder.Result result = FeedFinder.find(site.base + "/feed.xml", Limits.standard());
      assertEquals(List.of(new FeedFinder.Found(site.base + "/feed.xml", "Itself", 2,
          List.of("A", "B"), "")), result.feeds());
    }
  }

  // Hostile answers: a redirect to a local file, a page of 50 MB, a site that never answers, a
  // scheme other than http and https. Each ends with a reason and no feed; nothing local is read.
  @Test
  public void hostileAddressesEndWithAReason() {
    try (TestSite site = new TestSite()) {
      site.redirect("/", 302, "file:///etc/passwd")
          .on("/big", exchange -> {
            exchange.getResponseHeaders().set("Content-Type", HTML);
            exchange.sendResponseHeaders(200, 0);
            byte[] block = new byte[1 << 20];
            java.util.Arrays.fill(block, (byte) 'x');
            try (var out = exchange.getResponseBody()) {
              for (int i = 0; i < 50; ++i) out.write(block);
            } catch (java.io.IOException e) {
              // the finder stopped reading
            }
          })
          .hang("/slow");
      FeedFinder.Result local = FeedFinder.find(site.base + "/", Limits.standard());
      assertEquals(List.of(), local.feeds());
      assertTrue(local.error(), local.error().endsWith(": redirect to file:///etc/passwd"));

      FeedFinder.Result big = FeedFinder.find(site.base + "/big", Limits.standard());
      assertTrue(big.error(), big.error().endsWith(": larger than 5120 KB"));

      Limits short_ = Limits.standard().withDocument(Duration.ofSeconds(2))
          .withAnswer(Duration.ofSeconds(1));
      FeedFinder.Result slow = FeedFinder.find(site.base + "/slow", short_);
      assertTrue(slow.error(), slow.error().endsWith(": no answer within 1 second"));

      assertEquals("not a web address (only http and https are read)",
          FeedFinder.find("file:///etc/passwd", Limits.standard()).error());
      assertEquals("cannot read " + site.base + "/none: HTTP 404 Not Found",
          FeedFinder.find(site.base + "/none", Limits.standard()).error());
    }
  }

  // A site that refuses connections is named in words, never "null".
  @Test
  public void refusedConnectionInWords() throws Exception {
    int port;
    try (java.net.ServerSocket socket = new java.net.ServerSocket(0)) {
      port = socket.getLocalPort();
    }
    FeedFinder.Result result = FeedFinder.find("http://127.0.0.1:" + port + "/", Limits.standard());
    assertEquals("cannot read http://127.0.0.1:" + port + "/: connection refused", result.error());
  }
}
