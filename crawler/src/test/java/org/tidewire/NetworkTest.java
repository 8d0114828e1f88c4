// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertTrue;

import java.io.ByteArrayOutputStream;
import java.nio.charset.StandardCharsets;
import java.time.Duration;
import java.util.zip.GZIPOutputStream;
import org.junit.Test;

public class NetworkTest {
  // A crawled site: a redirect, a compressed page, a page in ISO-8859-1, a page that never
  // answers, robots.txt, a login whose cookie opens a members' page read through a linked feed,
  // a missing page and a negative text filter. Failures are logged and the channel's other
  // articles are still written.
  @Test
  public void crawledSite() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      String html = "text/html; charset=utf-8";
      site.page("/robots.txt", "text/plain",
              "User-agent: Other\nDisallow: /\n\nUser-agent: *\nDisallow: /private/\n")
          .page("/index.html", html, "<html><body>"
              + "<a href=\"/moved\">Moved</a> <a href=\"/articles/gzip.html\">Zipped</a> "
              + "<a href=\"/articles/latin.html\">Latin</a> <a href=\"/articles/slow.html\">Slow</a> "
              + "<a href=\"/private/secret.html\">Secret</a> <a href=\"/articles/missing.html\">Gone</a> "
              + "<a href=\"/articles/ad.html\">Advertisement</a> <a href=\"http://elsewhere.invalid/x.html\">Away</a>"
              + "<a href=\"/feed.xml\">Members</a></body></html>")
          .redirect("/moved", 302, "/articles/one.html")
          .html("/articles/one.html", "One", "Redirected text.")
          .on("/articles/gzip.html", exchange -> {
            ByteArrayOutputStream zipped = new ByteArrayOutputStream();
            try (GZIPOutputStream gzip = new GZIPOutputStream(zipped)) {
              gzip.write(TestSite.utf8(TestSite.article("Zipped", "Compressed text.")));
            }
            exchange.getResponseHeaders().set("Content-Encoding", "gzip");
            TestSite.send(exchange, 200, html, zipped.toByteArray());
          })
          .on("/articles/latin.html", exchange -> TestSite.send(exchange, 200,
              "text/html; charset=ISO-8859-1", TestSite.article("Latin", "Caf\u00e9 cr\u00e8me.")
                  .getBytes(StandardCharsets.ISO_8859_1)))
          .hang("/articles/slow.html")
          .page("/feed.xml", "application/rss+xml", TestSite.rss("Members",
              "<title>Member news</title><link>/articles/member.html</link>"
                  + "<description>Only a teaser.</description>"))
          .on("/login", exchange -> {
            if (site.bodies.contains("username=reader&password=p%C3%A4ss%26word")) {
              exchange.getResponseHeaders().add("Set-Cookie", "session=ok; Path=/");
            }
            TestSite.send(exchange, 200, html, TestSite.utf8("<html><body>Welcome</body></html>"));
          })
          .on("/articles/member.html", exchange -> {
            if (site.cookies.contains("/articles/member.html session=ok")) {
              TestSite.send(exchange, 200, html,
                  TestSite.utf8(TestSite.article("Member news", "Text for members.")));
            } else {
              TestSite.send(exchange, 403, html, TestSite.utf8("forbidden"));
            }
          });
      String base = site.base;
      program.write("Channels.txt", TestFiles.channel("Site", base + "/index.html", "3", "1",
          "19", "reader", "20", "Ma" + java.util.HexFormat.of().formatHex(ChannelSettings.scramble(
              "p\u00e4ss&word".getBytes(StandardCharsets.UTF_8))),
          "21", base + "/login", "23", "m#^advert#i"));
      program.configuration(program.root.resolve("work").toString(), "Site", "mp3");
      Limits limits = Limits.standard().withAnswer(Duration.ofSeconds(3)).withPages(50);
      assertEquals(0, WebCrawler.run(new String[] {program.root.toString()}, limits));

      String top = "work/Top/Site/";
      assertTrue(program.read(top + "Site/01 One.txt").contains("Redirected text."));
      assertTrue(program.read(top + "Site/02 Zipped.txt").contains("Compressed text."));
      assertTrue(program.read(top + "Site/03 Latin.txt").contains("Caf\u00e9 cr\u00e8me."));
      assertTrue(program.read(top + "Members/01 Member news.txt").contains("Text for members."));
      assertFalse(program.exists(top + "Site/04 Slow.txt"));
      assertEquals(0, site.count("GET /private/secret.html"));
      assertEquals(0, site.count("GET /articles/ad.html"));
      assertEquals(1, site.count("GET /robots.txt"));
      assertTrue(site.requests.indexOf("POST /login") < site.requests.indexOf("GET /index.html"));
      assertTrue(site.agents.stream().allMatch(a -> a.startsWith("Brevora/")));

      String log = program.read("Brevora.log");
      assertEquals(log, 2, log.split("\r\r\n").length);
      assertTrue(log, log.contains("ERROR - Channel Site: " + base
          + "/articles/slow.html: no answer within 3 seconds\r\r\n"));
      assertTrue(log, log.contains("ERROR - Channel Site: " + base
          + "/articles/missing.html: HTTP 404 Not Found\r\r\n"));
    }
  }

  // A channel that cannot be read says why in words: a refused connection, a name that is not
  // found, a missing page, an image; one entry each, never "null".
  @Test
  public void unreadableChannelsSayWhy() throws Exception {
    int closedPort;
    try (java.net.ServerSocket socket = new java.net.ServerSocket(0)) {
      closedPort = socket.getLocalPort();
    }
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      site.page("/logo.png", "image/png", "\u0089PNG");
      String refused = "http://127.0.0.1:" + closedPort + "/";
      String unknown = "http://no-such-host.invalid/";
      program.write("Channels.txt", TestFiles.channel("Refused", refused)
          + TestFiles.channel("Unknown", unknown)
          + TestFiles.channel("Missing", site.base + "/gone")
          + TestFiles.channel("Image", site.base + "/logo.png"));
      program.configuration(program.root.resolve("work").toString(),
          "Refused,Unknown,Missing,Image", "mp3");
      assertEquals(1, WebCrawler.run(new String[] {program.root.toString()}, Limits.standard()));
      String log = program.read("Brevora.log");
      assertEquals(log, 4, log.split("\r\r\n").length);
      assertTrue(log, log.contains("cannot read " + refused + ": connection refused\r\r\n"));
      assertTrue(log, log.contains("cannot read " + unknown + ": name not found\r\r\n"));
      assertTrue(log, log.contains("cannot read " + site.base + "/gone: HTTP 404 Not Found\r\r\n"));
      assertTrue(log, log.contains("cannot read " + site.base
          + "/logo.png: not a feed or page (image/png)\r\r\n"));
    }
  }
}
