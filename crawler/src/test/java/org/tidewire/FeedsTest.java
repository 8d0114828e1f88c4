// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertNull;
import static org.junit.Assert.assertTrue;

import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.util.Base64;
import java.util.List;
import java.util.stream.Collectors;
import org.junit.Test;

public class FeedsTest {
  private static Feeds.Feed read(String xml) throws Exception {
    return Feeds.read(Feeds.parseXml(xml.getBytes(StandardCharsets.UTF_8), null, "file:/f/"));
  }

  private static List<String> titles(Feeds.Feed feed) {
    return feed.items().stream().map(Feeds.Item::title).collect(Collectors.toList());
  }

  // The three feed forms give title, link, plain description and date; an HTML page is no feed;
  // a feed with a broken element still gives its other items.
  @Test
  public void feedForms() throws Exception {
    Feeds.Feed rss = read("<?xml version=\"1.0\"?><rss><channel><title>R</title><item><title>A"
        + "</title><link> http://a/1 </link><description>&lt;p&gt;Hello &amp;amp; bye&lt;/p&gt;"
        + "</description><pubDate>Mon</pubDate></item><item><title>B</title><link>b.html</link>"
        + "<description><![CDATA[<b>Bold</b>]]></description></item></channel></rss>");
    assertEquals("R", rss.title());
    assertEquals(List.of("A", "B"), titles(rss));
    assertEquals(new Feeds.Item("A", "http://a/1", "Hello & bye", "Mon"), rss.items().get(0));
    assertEquals("Bold", rss.items().get(1).description());

    Feeds.Feed rdf = read("<rdf:RDF xmlns:rdf=\"r\" xmlns=\"p\" xmlns:dc=\"d\"><channel><title>D"
        + "</title></channel><item rdf:about=\"http://a/x\"><title>X</title><dc:date>2026</dc:date>"
        + "</item></rdf:RDF>");
    assertEquals("D", rdf.title());
    assertEquals(new Feeds.Item("X", "http://a/x", "", "2026"), rdf.items().get(0));

    Feeds.Feed atom = read("<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>F</title><entry>"
        + "<title>E</title><link rel=\"self\" href=\"s\"/><link href=\"http://a/e\"/>"
        + "<summary>Sum</summary><updated>U</updated></entry></feed>");
    assertEquals(new Feeds.Item("E", "http://a/e", "Sum", "U"), atom.items().get(0));

    assertNull(read("<!DOCTYPE html><html><body><p>page</p></body></html>"));
    Feeds.Feed broken = read("<rss><channel><item><title>One</title></item><item><title>Two & "
        + "<b>more</title></item><item><title>Three</title></item></channel></rss>");
    assertEquals("One", broken.items().get(0).title());
    assertEquals("Three", broken.items().get(broken.items().size() - 1).title());
  }

  // Local start addresses resolve as the channel editor resolves them.
  @Test
  public void startAddresses() throws Exception {
    Path program = Path.of("/opt/brevora");
    assertEquals("file:///opt/brevora/feeds/demo.xml",
        ChannelCrawler.startUri("feeds/demo.xml", program).toString());
    assertEquals("file:///srv/f.xml", ChannelCrawler.startUri("file:/srv/f.xml", program).toString());
    assertEquals("file:///srv/f.xml", ChannelCrawler.startUri("file:///srv/f.xml", program).toString());
    assertEquals("http://a/b", ChannelCrawler.startUri(" http://a/b", program).toString());
    for (String bad : new String[] {"ftp://a/b", "file:/", ""}) {
      try {
        ChannelCrawler.startUri(bad, program);
        throw new AssertionError(bad);
      } catch (ChannelCrawler.ChannelFailure expected) {
        assertTrue(expected.getMessage(), !expected.getMessage().isEmpty());
      }
    }
  }

  private static Feeds.Feed read(byte[] bytes, String base) throws Exception {
    return Feeds.read(Feeds.parseXml(bytes, null, base));
  }

  private static String rss(String items) {
    return "<rss version=\"2.0\"><channel><title>R</title>" + items + "</channel></rss>";
  }

  // Titles as a feed reader shows them: escaped markup and entities read as HTML in RSS and in
  // Atom's html titles, an Atom text title as it stands.
  @Test
  public void plainTitles() throws Exception {
    assertEquals(List.of("Example Atom", "AT&T", "Fish & Chips"), titles(read(rss(
        "<item><title>Example &lt;b&gt;Atom&lt;/b&gt;</title></item><item><title>AT&amp;amp;T"
            + "</title></item><item><title>Fish & Chips</title></item>"))));
    assertEquals(List.of("Example Atom", "AT&T <rocks>"), titles(read("<feed xmlns=\"http://www.w3"
        + ".org/2005/Atom\"><entry><title type=\"html\">Example &lt;b&gt;Atom&lt;/b&gt;</title>"
        + "</entry><entry><title type=\"text\">AT&amp;T &lt;rocks&gt;</title></entry></feed>")));
  }

  // Undeclared or misdeclared encodings: KOI8-R by its statistics, UTF-16 and UTF-32 without a
  // byte order mark, Windows-1252 quotes in a feed said to be ISO-8859-1.
  @Test
  public void encodings() throws Exception {
    String russian = "\u041d\u043e\u0432\u043e\u0441\u0442\u0438 \u0434\u043d\u044f: "
        + "\u043f\u0440\u0430\u0432\u0438\u0442\u0435\u043b\u044c\u0441\u0442\u0432\u043e "
        + "\u043e\u0431\u044a\u044f\u0432\u0438\u043b\u043e \u043e "
        + "\u043d\u043e\u0432\u044b\u0445 \u043c\u0435\u0440\u0430\u0445 "
        + "\u043f\u043e\u0434\u0434\u0435\u0440\u0436\u043a\u0438";
    String feed = rss("<item><title>" + russian + "</title><description>" + russian + " "
        + russian + "</description></item>");
    assertEquals(russian, read(feed.getBytes("KOI8-R"), "").items().get(0).title());
    for (String wide : new String[] {"UTF-16LE", "UTF-16BE", "UTF-32BE", "UTF-32LE"}) {
      assertEquals(wide, russian, read(("<?xml version=\"1.0\"?>" + feed).getBytes(wide), "")
          .items().get(0).title());
      assertEquals(wide, russian, read(feed.getBytes(wide), "").items().get(0).title());
    }
    byte[] latin = ("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + rss("<item><title>"
        + "don\u2019t \u2013 caf\u00e9</title></item>")).getBytes("windows-1252");
    assertEquals("don\u2019t \u2013 caf\u00e9", read(latin, "").items().get(0).title());
    // An ASCII feed whose prolog says UTF-16 is still a feed.
    for (String end : new String[] {"", " "}) {
      assertEquals("Plain", read(("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + rss(
          "<item><title>Plain</title></item>") + end).getBytes("US-ASCII"), "").items().get(0)
          .title());
    }
  }

  // Where an item's link may be: a permanent guid, Atom's id, the text of an Atom link; a guid
  // that is no permanent link is no link. Relative links follow xml:base on the feed, the entry
  // and the element, from the document's own address.
  @Test
  public void linksAndBases() throws Exception {
    Feeds.Feed rss = read(rss("<item><title>A</title><guid>http://a/1</guid></item><item><title>B"
        + "</title><guid isPermaLink=\"true\">https://a/2</guid></item><item><title>C</title>"
        + "<guid isPermaLink=\"false\">http://a/3</guid></item><item><title>D</title><guid>"
        + "tag:a,2026:4</guid></item>"));
    assertEquals(List.of("http://a/1", "https://a/2", "", ""),
        rss.items().stream().map(Feeds.Item::link).collect(Collectors.toList()));
    Feeds.Feed atom = read(("<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:base=\"http://a/"
        + "news/\"><entry><id>http://a/e1</id></entry><entry><link>http://a/e2</link></entry>"
        + "<entry xml:base=\"2026/\"><link href=\"e3.html\"/></entry><entry><link xml:base="
        + "\"/other/\" href=\"e4.html\"/></entry><entry><link href=\"e5.html\"/></entry>"
        + "<entry><id>urn:uuid:6</id></entry></feed>").getBytes(StandardCharsets.UTF_8),
        "http://site/feed.xml");
    assertEquals(List.of("http://a/e1", "http://a/e2", "http://a/news/2026/e3.html",
        "http://a/other/e4.html", "http://a/news/e5.html", ""),
        atom.items().stream().map(Feeds.Item::link).collect(Collectors.toList()));
  }

  // The text spoken when an item's page cannot be read, from every place feeds keep it.
  @Test
  public void itemTexts() throws Exception {
    String encoded = Base64.getEncoder().encodeToString(
        "<p>Decoded &amp; read.</p>".getBytes(StandardCharsets.UTF_8));
    Feeds.Feed atom = read("<feed xmlns=\"http://www.w3.org/2005/Atom\"><entry><content type="
        + "\"base64\">" + encoded + "</content></entry><entry><content mode=\"base64\">" + encoded
        + "</content></entry><entry><content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/"
        + "xhtml\"><p>In <b>XHTML</b>.</p></div></content><summary>Short.</summary></entry>"
        + "<entry><summary>Only a summary.</summary></entry></feed>");
    assertEquals(List.of("Decoded & read.", "Decoded & read.", "In XHTML.", "Only a summary."),
        atom.items().stream().map(Feeds.Item::description).collect(Collectors.toList()));
    Feeds.Feed rss = read(rss("<item><content:encoded><![CDATA[<p>Full text.</p>]]>"
        + "</content:encoded><description>Teaser.</description></item><item><xhtml:body><p>Body"
        + "</p></xhtml:body></item><item><itunes:summary>Episode.</itunes:summary></item><item>"
        + "<media:group><media:description>Clip.</media:description></media:group></item>"));
    assertEquals(List.of("Full text.", "Body", "Episode.", "Clip."),
        rss.items().stream().map(Feeds.Item::description).collect(Collectors.toList()));
  }

  // Of an item's markup only what a reader sees is spoken, from every dialect's places for it;
  // base64 that is not well-formed, or not text, is not spoken at all.
  @Test
  public void onlyVisibleItemText() throws Exception {
    String junk = "<script>alert(1)</script><style>p{}</style><template>T</template><noscript>N"
        + "</noscript><span style=\"display:\tnone\">Hidden</span><span class=\"sr-only\">SR"
        + "</span><style>.sr-only{position:absolute;clip:rect(0 0 0 0)}</style>";
    Feeds.Feed rss = read(rss("<item><content:encoded><![CDATA[<p>Seen." + junk + "</p>]]>"
        + "</content:encoded></item><item><x:body xmlns:x=\"http://www.w3.org/1999/xhtml\">"
        + "<x:p>Seen.</x:p><x:script>alert(2)</x:script></x:body></item><item><body xmlns=\"http://"
        + "www.w3.org/1999/xhtml\">Seen.<script>alert(3)</script></body></item><item><fullitem>"
        + "&lt;p&gt;Seen.&lt;/p&gt;</fullitem></item><item><dc:description>Seen.</dc:description>"
        + "</item>"));
    assertEquals(List.of("Seen.", "Seen.", "Seen.", "Seen.", "Seen."),
        rss.items().stream().map(Feeds.Item::description).collect(Collectors.toList()));
    String notText = Base64.getEncoder().encodeToString(new byte[] {(byte) 0xFF, 0, (byte) 0xC3});
    Feeds.Feed atom = read("<feed xmlns=\"http://www.w3.org/2005/Atom\"><entry><title>A</title>"
        + "<content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">Seen.<script>x()"
        + "</script><p hidden=\"\">H</p></div></content></entry><entry><title>B</title><content"
        + " mode=\"base64\">!!not base64 at all!!</content></entry><entry><title>C</title><content"
        + " type=\"base64\">" + notText + "</content></entry></feed>");
    assertEquals(List.of("Seen.", "", ""),
        atom.items().stream().map(Feeds.Item::description).collect(Collectors.toList()));
  }

  // Rarer dialects: prefixed RSS elements, a title only in dc:title, RSS 0.91, CDF; an Atom
  // entry whose link is its relative id; RSS items in an Atom feed; a base64 title.
  @Test
  public void moreDialects() throws Exception {
    assertEquals(new Feeds.Item("R", "http://a/r", "", ""), read("<r:rss xmlns:r=\"http://"
        + "backend.userland.com/rss2\"><r:channel><r:item><r:title>R</r:title><r:link>http://a/r"
        + "</r:link></r:item></r:channel></r:rss>").items().get(0));
    assertEquals(List.of("Big"), titles(read("<CHANNEL><ITEM HREF=\"http://a/b\"><TITLE>Big"
        + "</TITLE></ITEM></CHANNEL>")));
    Feeds.Feed atom = Feeds.read(Feeds.parseXml(("<feed version=\"0.3\" xmlns=\"http://purl.org/"
        + "atom/ns#\"><entry><id>/relative/link</id><title mode=\"base64\">" + Base64.getEncoder()
        .encodeToString("Caf\u00e9".getBytes(StandardCharsets.UTF_8)) + "</title></entry>"
        + "<entry><id>tag:a,2026:1</id></entry><item><title>Inside</title><link>http://a/i</link>"
        + "</item></feed>").getBytes(StandardCharsets.UTF_8), null, "http://site/feed.xml"));
    assertEquals(List.of(new Feeds.Item("Caf\u00e9", "http://site/relative/link", "", ""),
        new Feeds.Item("", "", "", ""), new Feeds.Item("Inside", "http://a/i", "", "")),
        atom.items());
  }

  // Rarer dialects: prefixed RSS elements, a title only in dc:title, RSS 0.91, CDF.
  @Test
  public void dialects() throws Exception {
    assertEquals(new Feeds.Item("P", "http://a/p", "", ""), read("<rdf:RDF xmlns:rdf=\"r\" "
        + "xmlns:rss=\"http://purl.org/rss/1.0/\"><rss:channel><rss:title>T</rss:title>"
        + "</rss:channel><rss:item><rss:title>P</rss:title><rss:link>http://a/p</rss:link>"
        + "</rss:item></rdf:RDF>").items().get(0));
    assertEquals(List.of("Dublin"), titles(read(rss("<item><dc:title>Dublin</dc:title><link>"
        + "http://a/d</link></item>"))));
    assertEquals(new Feeds.Item("Old", "http://a/o", "Text.", ""), read("<rss version=\"0.91\">"
        + "<channel><title>C</title><item><title>Old</title><link>http://a/o</link><description>"
        + "Text.</description></item></channel></rss>").items().get(0));
    Feeds.Feed cdf = read("<CHANNEL HREF=\"http://a/\"><TITLE>Cdf</TITLE><ITEM HREF=\"http://a/"
        + "c.html\" LASTMOD=\"2026-01-01\"><TITLE>Item</TITLE><ABSTRACT>About it.</ABSTRACT>"
        + "</ITEM></CHANNEL>");
    assertEquals("Cdf", cdf.title());
    assertEquals(new Feeds.Item("Item", "http://a/c.html", "About it.", "2026-01-01"),
        cdf.items().get(0));
  }

  // Items whose links end in ".xml" but lead to pages are articles of the feed, not lost
  // categories; a Content-Location is the base of a feed's relative links; an empty feed is
  // logged.
  @Test
  public void feedsAsTheyAreServed() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      site.page("/feeds/latest", "application/rss+xml", rss("<item><title>Page one</title><link>"
              + "one.xml</link></item><item><title>Page two</title><link>two.xml</link></item>"))
          .on("/feeds/moved", exchange -> {
            exchange.getResponseHeaders().set("Content-Location", "/stories/index.xml");
            TestSite.send(exchange, 200, "application/rss+xml", TestSite.utf8(rss(
                "<item><title>Based</title><link>based.html</link></item>")));
          })
          .page("/feeds/empty", "application/rss+xml", "")
          .html("/feeds/one.xml", "Page one", "Text one.").html("/feeds/two.xml", "Page two",
              "Text two.").html("/stories/based.html", "Based", "Text based.");
      program.write("Channels.txt", TestFiles.channel("Xml", site.base + "/feeds/latest")
          + TestFiles.channel("Moved", site.base + "/feeds/moved")
          + TestFiles.channel("Empty", site.base + "/feeds/empty"));
      program.configuration(program.root.resolve("work").toString(), "Xml,Moved,Empty", "mp3");
      assertEquals(1, WebCrawler.run(new String[] {program.root.toString()}, Limits.standard()));
      assertEquals("Page one\n\nText one.\n", program.read("work/Top/Xml/R/01 Page one.txt"));
      assertEquals("Page two\n\nText two.\n", program.read("work/Top/Xml/R/02 Page two.txt"));
      assertEquals("Based\n\nText based.\n", program.read("work/Top/Moved/R/01 Based.txt"));
      String log = program.read("Brevora.log");
      assertTrue(log, log.endsWith("ERROR - Channel Empty failed: the document " + site.base
          + "/feeds/empty is empty\r\r\n"));
      assertEquals(log, 1, log.split("\r\r\n").length);
    }
  }
}
