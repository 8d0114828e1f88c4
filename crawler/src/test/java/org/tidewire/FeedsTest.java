package org.tidewire;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertNull;
import static org.junit.Assert.assertTrue;

import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
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
}
