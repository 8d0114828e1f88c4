// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertThrows;
import static org.junit.Assert.assertTrue;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.Duration;
import java.util.Arrays;
import java.util.Comparator;
import java.util.HexFormat;
import java.util.List;
import java.util.Map;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import javax.xml.parsers.DocumentBuilderFactory;
import org.junit.Test;

/** What a hostile or broken site can do to a crawl, and what it must never achieve. */
public class HostileSiteTest {
  private static final String RSS = "application/rss+xml";

  /** A crawl into an empty working folder with an empty log, as a run makes it. */
  private static int crawl(TestFiles program, String channels, Limits limits) throws IOException {
    Path work = program.root.resolve("work");
    if (Files.exists(work)) {
      try (Stream<Path> paths = Files.walk(work)) {
        for (Path path : paths.sorted(Comparator.reverseOrder()).collect(Collectors.toList())) {
          Files.delete(path);
        }
      }
    }
    program.configuration(work.toString(), channels, "mp3");
    program.write("Brevora.log", "");
    return WebCrawler.run(new String[] {program.root.toString()}, limits);
  }

  private static List<String> logEntries(TestFiles program) {
    String log = program.read("Brevora.log");
    return log.isEmpty() ? List.of() : Arrays.stream(log.split("\r\r\n"))
        .map(entry -> entry.replaceFirst("^\\[[^\\]]*\\] ERROR - ", "")).collect(Collectors.toList());
  }

  /** The files below a folder, as paths relative to it. */
  private static List<String> files(Path folder) throws IOException {
    try (Stream<Path> paths = Files.walk(folder)) {
      return paths.filter(Files::isRegularFile).map(p -> folder.relativize(p).toString()).sorted()
          .collect(Collectors.toList());
    }
  }

  private static String item(String title, String link) {
    return "<title>" + title + "</title><link>" + link + "</link>";
  }

  // A remote feed never leads to a local file, whatever form its link takes; a local channel
  // reads the files below its own folder and nothing above it.
  @Test
  public void localFilesOnlyBelowALocalChannel() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      Path secret = program.write("secret.txt", "<p>Secret text of the user.</p>");
      program.write("feeds/local/page.html", TestSite.article("Inside", "Local text."));
      program.write("feeds/local/feed.xml", TestSite.rss("Local", item("Inside", "page.html"),
          item("Above", "../../secret.txt"), item("Absolute", secret.toUri().toString())));
      site.page("/feed.xml", RSS, TestSite.rss("Remote", item("Good", "/good.html"),
              item("Uri", secret.toUri().toString()), item("Short", "file:" + secret)))
          .html("/good.html", "Good", "Remote text.");
      program.write("Channels.txt", TestFiles.channel("Remote", site.base + "/feed.xml")
          + TestFiles.channel("Local", "feeds/local/feed.xml"));

      assertEquals(0, crawl(program, "Remote,Local", Limits.standard()));
      Path top = program.root.resolve("work/Top");
      assertEquals(List.of("Local/Local.asx", "Local/Local.html", "Local/Local.m3u",
          "Local/Local/01 Inside.txt", "NewsXML.xml", "Remote/Remote.asx", "Remote/Remote.html",
          "Remote/Remote.m3u", "Remote/Remote/01 Good.txt", "index.html"), files(top));
      assertEquals("Good\n\nRemote text.\n", program.read("work/Top/Remote/Remote/01 Good.txt"));
      assertEquals("Inside\n\nLocal text.\n", program.read("work/Top/Local/Local/01 Inside.txt"));
      // One entry per channel and cause, naming the first address and counting the others.
      List<String> log = logEntries(program);
      assertEquals(log.toString(), 2, log.size());
      assertTrue(log.toString(), log.contains("Channel Remote: " + secret.toUri()
          + " and 1 more: not an address the channel may read"));
      assertTrue(log.toString(), log.contains("Channel Local: ../../secret.txt and 1 more: "
          + "not an address the channel may read"));
    }
  }

  // The patterns of robots.txt are matched without backtracking: twelve stars against a long
  // path end at once; the longest matching rule decides, an Allow inside a disallowed folder
  // included; "$" ties a pattern to the end.
  @Test(timeout = 20000)
  public void robotsPatterns() {
    Robots robots = Robots.parse("User-agent: *\nDisallow: /*a*a*a*a*a*a*a*a*a*a*a*a*b\n"
        + "Disallow: /private/\nAllow: /private/open\nDisallow: /*.pdf$\n", "Brevora");
    for (int i = 0; i < 1000; ++i) assertTrue(robots.allows("/" + "a".repeat(40)));
    assertFalse(robots.allows("/" + "a".repeat(40) + "b"));
    assertFalse(robots.allows("/private/x"));
    assertTrue(robots.allows("/private/open/x"));
    assertFalse(robots.allows("/files/doc.pdf"));
    assertTrue(robots.allows("/files/doc.pdf?page=1"));
    assertTrue(robots.allows("/public/"));
    // An empty Disallow allows everything.
    for (String empty : List.of("Disallow:", "Disallow: ", "disallow:\t")) {
      Robots open = Robots.parse("User-agent: *\n" + empty + "\n", "Brevora");
      assertTrue(empty, open.allows("/"));
      assertTrue(empty, open.allows("/private/x.html"));
    }
  }

  // Text is taken in time that grows with the page, however deep its nesting.
  @Test(timeout = 60000)
  public void deeplyNestedPage() {
    String page = "<html><body><article>" + "<div>".repeat(400_000) + "<p>Deep text.".repeat(50_000);
    String text = TextRules.articleText(page, "", ChannelSettings.parseLine(
        TestFiles.channel("C", "u", "5", "0").trim()));
    assertEquals(50_000, text.split("\n").length);
    assertTrue(text.startsWith("Deep text.\nDeep text.\n"));
  }

  // Text is taken in time that grows with the page, however wide: hundreds of thousands of
  // empty blocks, links around paragraphs or form controls beside the story; and finding it stops
  // at the document's deadline, keeping nothing.
  @Test(timeout = 120000)
  public void widePages() {
    String story = "<p>" + "The council voted on Tuesday to open the bridge, and the mayor said the"
        + " town had waited long enough. ".repeat(4) + "</p>";
    ChannelSettings rules = ChannelSettings.parseLine(TestFiles.channel("C", "u").trim());
    for (String filler : List.of("<div></div>", "<a href=/x><p>x</p></a>", "<input>")) {
      String page = "<html><body><div class=story>" + story + story + "</div><div>"
          + filler.repeat(filler.length() > 12 ? 300_000 : 450_000) + "</div></body></html>";
      String text = TextRules.articleText(page, "", rules,
          Deadline.at(System.nanoTime() + Duration.ofSeconds(60).toNanos()));
      assertEquals(filler, 2, text.split("\n").length);
      assertTrue(filler, text.startsWith("The council voted"));
    }
    String page = "<p>Text of the story, long enough to count.</p>".repeat(5_000);
    assertThrows(Deadline.Exceeded.class,
        () -> TextRules.articleText(page, "", rules, Deadline.at(System.nanoTime())));
  }

  // A document ends within its own limit, redirects included; a channel within its limit, then
  // keeping what it read, a body still arriving included; every channel within the crawl's
  // limit. Each limit is one log entry.
  @Test(timeout = 300000)
  public void timeLimits() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      site.page("/hops.xml", RSS, TestSite.rss("Hops", item("Hops", "/hop1"), item("Good", "/1")))
          .redirect("/hop1", 302, "/hop2").redirect("/hop2", 307, "/hop3").hang("/hop3")
          .page("/slow.xml", RSS, TestSite.rss("Slow", item("First", "/1"), item("Hang", "/hang"),
              item("Second", "/2"), item("Third", "/3")))
          .hang("/hang").html("/1", "First", "One.").html("/2", "Second", "Two.")
          .html("/3", "Third", "Three.")
          .page("/trickle.xml", RSS, TestSite.rss("Trickle", item("First", "/1"),
              item("Arriving", "/trickle"), item("Second", "/2")))
          .trickle("/trickle");
      program.write("Channels.txt", TestFiles.channel("Hops", site.base + "/hops.xml")
          + TestFiles.channel("Slow", site.base + "/slow.xml")
          + TestFiles.channel("Trickle", site.base + "/trickle.xml"));

      Limits seconds = Limits.standard().withDocument(Duration.ofSeconds(2));
      assertEquals(0, crawl(program, "Hops", seconds));
      assertEquals(List.of("Channel Hops: " + site.base
          + "/hop1: not read within the time limit of 2 seconds per document"), logEntries(program));
      assertTrue(program.exists("work/Top/Hops/Hops/01 Good.txt"));

      assertEquals(0, crawl(program, "Slow", Limits.standard().withChannel(Duration.ofSeconds(2))));
      assertEquals(List.of("3 links of Slow were not read: the time limit of 2 seconds per channel"
          + " was reached"), logEntries(program));
      assertEquals("First\n\nOne.\n", program.read("work/Top/Slow/Slow/01 First.txt"));
      assertTrue(program.read("work/Top/NewsXML.xml").contains("<title>First</title>"));

      assertEquals(0, crawl(program, "Slow", Limits.standard().withCrawl(Duration.ofSeconds(2))));
      assertEquals(List.of("3 links of Slow were not read: the crawl's time limit of 2 seconds"
          + " was reached"), logEntries(program));

      // Its answer and document limits far away, a body that keeps arriving ends with the channel.
      Limits channelOnly = Limits.standard().withAnswer(Duration.ofMinutes(20))
          .withDocument(Duration.ofMinutes(20)).withChannel(Duration.ofSeconds(2));
      assertEquals(0, crawl(program, "Trickle", channelOnly));
      assertEquals(List.of("2 links of Trickle were not read: the time limit of 2 seconds per"
          + " channel was reached"), logEntries(program));
      assertEquals("First\n\nOne.\n", program.read("work/Top/Trickle/Trickle/01 First.txt"));
    }
  }

  // A byte order mark is no character of the text, in a feed or a page; bytes declared
  // Windows-1252 are read as Windows-1252 even when they would be valid UTF-8.
  @Test
  public void charsetsAsDeclared() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      byte[] bom = {(byte) 0xEF, (byte) 0xBB, (byte) 0xBF};
      site.on("/marked.xml", exchange -> TestSite.send(exchange, 200, RSS, concat(bom,
              TestSite.utf8(TestSite.rss("Marked", item("Mark\u00e9", "/marked.html"),
                  item("Declared", "/declared.html"))))))
          .on("/marked.html", exchange -> TestSite.send(exchange, 200, "text/html", concat(bom,
              TestSite.utf8(TestSite.article("Mark\u00e9", "D\u00e9j\u00e0 vu.")))))
          .on("/declared.html", exchange -> TestSite.send(exchange, 200,
              "text/html; charset=windows-1252",
              TestSite.utf8(TestSite.article("Declared", "Caf\u00e9 au lait."))));
      program.write("Channels.txt", TestFiles.channel("Marked", site.base + "/marked.xml"));
      assertEquals(0, crawl(program, "Marked", Limits.standard()));
      assertEquals("Mark\u00e9\n\nD\u00e9j\u00e0 vu.\n",
          program.read("work/Top/Marked/Marked/01 Mark\u00e9.txt"));
      assertEquals("Declared\n\nCaf\u00c3\u00a9 au lait.\n",
          program.read("work/Top/Marked/Marked/02 Declared.txt"));
      assertFalse(program.read("work/Top/NewsXML.xml").contains("\uFEFF"));
    }
  }

  private static byte[] concat(byte[] first, byte[] second) {
    byte[] both = java.util.Arrays.copyOf(first, first.length + second.length);
    System.arraycopy(second, 0, both, first.length, second.length);
    return both;
  }

  // A document of exactly the size limit is read; one byte more is refused, with its entry.
  @Test
  public void sizeLimitIsExact() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      int limit = 64 << 10;
      String page = TestSite.article("Exact", "Text at the limit.");
      page += "<!--" + "x".repeat(limit - page.length() - 7) + "-->";
      assertEquals(limit, TestSite.utf8(page).length);
      site.page("/size.xml", RSS, TestSite.rss("Size", item("Exact", "/exact"), item("Over", "/over")))
          .page("/exact", "text/html; charset=utf-8", page)
          .page("/over", "text/html; charset=utf-8", page + "\n");
      program.write("Channels.txt", TestFiles.channel("Size", site.base + "/size.xml"));
      assertEquals(0, crawl(program, "Size", Limits.standard().withMaxBytes(limit)));
      assertEquals("Exact\n\nText at the limit.\n", program.read("work/Top/Size/Size/01 Exact.txt"));
      assertEquals(List.of("Channel Size: " + site.base + "/over: larger than 64 KB"),
          logEntries(program));
    }
  }

  // An item whose address does not parse or cannot be fetched, a redirect to a broken or
  // foreign address, a charset quoted oddly or unknown: each costs itself, the rest is read.
  @Test
  public void badItemsCostOnlyThemselves() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      List<String> bad = List.of("http:///x.html", "http://my_blog.example.com/post.html",
          "http:art", "file://host/x", "/space", "/data", "http://127.0.0.1:99999/x");
      StringBuilder items = new StringBuilder();
      for (String link : bad) items.append("<item>").append(item("Bad", link)).append("</item>");
      site.page("/cats.xml", RSS, TestSite.rss("Cats", item("One", "/c1.xml"),
              item("Two", "/c2.xml"), item("Three", "/c3.xml")))
          .page("/c1.xml", RSS, TestSite.rss("C1", item("First", "/1")).replace("<item>",
              items + "<item>"))
          .page("/c2.xml", RSS + "; charset='us-ascii'", TestSite.rss("C2", item("Second", "/2")))
          .page("/c3.xml", RSS + "; charset=x-no-such-charset",
              TestSite.rss("C3", item("Third", "/3")))
          .redirect("/space", 302, "/a b").redirect("/data", 302, "data:text/html,hi")
          .html("/1", "First", "One.").html("/2", "Second", "Two.").html("/3", "Third", "Three.");
      program.write("Channels.txt", TestFiles.channel("Cats", site.base + "/cats.xml"));

      assertEquals(0, crawl(program, "Cats", Limits.standard()));
      assertEquals("First\n\nOne.\n", program.read("work/Top/Cats/One/01 First.txt"));
      assertEquals("Second\n\nTwo.\n", program.read("work/Top/Cats/Two/01 Second.txt"));
      assertEquals("Third\n\nThree.\n", program.read("work/Top/Cats/Three/01 Third.txt"));
      assertEquals(List.of("Channel Cats: http:///x.html and 4 more: not an address the channel"
          + " may read", "Channel Cats: " + site.base + "/space: redirect to an invalid address",
          "Channel Cats: " + site.base + "/data: redirect to data:text/html,hi"),
          logEntries(program));
    }
  }

  // A title too long for a file name in bytes is cut on a character, its file still written;
  // under the C locale the crawler, started as the program starts it (its class path, the
  // libraries its manifest names), still writes every article, the name in plain letters, and
  // tells the charset of a page that names none; a folder it cannot name is refused.
  @Test
  public void fileNames() throws Exception {
    try (TestFiles program = new TestFiles()) {
      String emoji = "\ud83d\ude00".repeat(80);
      program.write("feeds/f/feed.xml", TestSite.rss("News", item(emoji, "a.html"),
          item("Caf\u00e9 \u4e16\u754c", "b.html")));
      program.write("feeds/f/a.html", TestSite.article("A", "Smile."));
      String russian = "\u041a\u043e\u0444\u0435 \u0441 \u043c\u043e\u043b\u043e\u043a\u043e\u043c "
          + "\u0438 \u0441\u0430\u0445\u0430\u0440\u043e\u043c, \u043a\u0430\u043a "
          + "\u0432\u0441\u0435\u0433\u0434\u0430 \u043f\u043e \u0443\u0442\u0440\u0430\u043c.";
      program.write("feeds/f/b.html", TestSite.article("B", russian).getBytes("KOI8-R"));
      program.write("Channels.txt", TestFiles.channel("Local", "feeds/f/feed.xml"));
      assertEquals(0, crawl(program, "Local", Limits.standard()));
      List<String> names = files(program.root.resolve("work/Top/Local/News"));
      assertEquals(2, names.size());
      assertTrue(names.get(0), names.get(0).startsWith("01 \ud83d\ude00"));
      assertTrue(names.get(0).getBytes(StandardCharsets.UTF_8).length + ".part".length() < 255);
      assertEquals(emoji + "\n\nSmile.\n", program.read("work/Top/Local/News/" + names.get(0)));

      program.write("Brevora.log", "");
      Path java = Path.of(System.getProperty("java.home"), "bin", "java");
      Path built = Path.of(System.getProperty("brevora.program"));
      ProcessBuilder builder = new ProcessBuilder(java.toString(), "-classpath",
          built.resolve("htmlparser.jar") + ":" + built.resolve("Brevora.jar"),
          "org.tidewire.WebCrawler", program.root.toString());
      Map<String, String> environment = builder.environment();
      environment.keySet().removeIf(key -> key.startsWith("LC_") || key.equals("LANG"));
      environment.put("LC_ALL", "C");
      builder.redirectErrorStream(true).redirectOutput(program.root.resolve("out.txt").toFile());
      assertEquals(program.read("out.txt"), 0, builder.start().waitFor());
      assertEquals("", program.read("Brevora.log"));
      assertEquals("Caf\u00e9 \u4e16\u754c\n\n" + russian + "\n",
          program.read("work/Top/Local/News/02 Cafe __.txt"));

      // A working folder whose name those file names cannot hold is refused with a reason.
      program.configuration(program.root.resolve("Caf\u00e9").toString(), "Local", "mp3");
      assertEquals(program.read("out.txt"), 2, builder.start().waitFor());
      assertTrue(program.read("Brevora.log"), program.read("Brevora.log").contains(
          "ERROR - The crawler cannot use the working folder " + program.root.resolve("Caf\u00e9")
          + ": its name cannot be written in the character set of this system's file names"));
    }
  }

  // A login is never posted again to another site; a site sets cookies for itself only.
  @Test
  public void credentialsStayWithTheirSite() throws Exception {
    try (TestSite site = new TestSite(); TestSite other = new TestSite();
        TestFiles program = new TestFiles()) {
      String local = site.base.replace("127.0.0.1", "localhost");
      site.redirect("/login", 307, other.base + "/login")
          .on("/index.html", exchange -> {
            exchange.getResponseHeaders().add("Set-Cookie", "own=1; Path=/");
            exchange.getResponseHeaders().add("Set-Cookie", "foreign=1; Domain=127.0.0.1; Path=/");
            TestSite.send(exchange, 200, "text/html", TestSite.utf8("<a href=\"" + site.base
                + "/a.html\">A</a> <a href=\"" + local + "/b.html\">B</a>"));
          })
          .html("/a.html", "A", "Text A.").html("/b.html", "B", "Text B.");
      String password = "Ma" + HexFormat.of().formatHex(ChannelSettings.scramble(
          "secret".getBytes(StandardCharsets.UTF_8)));
      program.write("Channels.txt", TestFiles.channel("Login", site.base + "/index.html", "19",
          "reader", "20", password, "21", site.base + "/login")
          + TestFiles.channel("Cookies", local + "/index.html", "2", "127.0.0.1", "3", "1"));

      assertEquals(1, crawl(program, "Login", Limits.standard()));
      assertEquals(List.of(), other.requests);
      assertEquals(List.of("Channel Login failed: login at " + site.base + "/login failed: the form"
          + " was redirected to another site: " + other.base + "/login"), logEntries(program));

      assertEquals(0, crawl(program, "Cookies", Limits.standard()));
      assertTrue(site.cookies.toString(), site.cookies.contains("/b.html own=1"));
      assertTrue(site.cookies.toString(), site.cookies.contains("/a.html null"));
    }
  }

  // Titles with characters XML does not allow and with line breaks leave every written file
  // whole: the index and the ASX parse, the playlist has one line per entry. No control
  // character of a channel's name, an address or a date reaches the index.
  @Test
  public void titlesCannotBreakTheFiles() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      site.page("/feed.xml", RSS, TestSite.rss("Feed", item("Bad\uffff title", "/1"),
              item("Line one\rhttp://evil.example/x", "/2"), item("Next\u0085line", "/3"))
              .replace("<link>/1</link>", "<link>/1</link><pubDate>Mon, 07\u0001 Dec 2026\u001b"
                  + " 09:00:00\tGMT\n</pubDate>"))
          .html("/1", "1", "One.").html("/2", "2", "Two.").html("/3", "3", "Three.");
      program.write("Channels.txt", TestFiles.channel("Fe\u0001ed\tDesk\u007f", site.base
          + "/feed.xml"));
      assertEquals(0, crawl(program, "Fe\u0001ed\tDesk\u007f", Limits.standard()));
      String index = program.read("work/Top/NewsXML.xml");
      assertTrue(index, index.contains("<channel name=\"Feed Desk\" url=\"" + site.base
          + "/feed.xml\">"));
      assertTrue(index, index.contains("<date>Mon, 07 Dec 2026 09:00:00 GMT</date>"));
      for (char c : index.toCharArray()) assertTrue(index, c >= 0x20 && c != 0x7f || c == '\n');
      var parser = DocumentBuilderFactory.newInstance().newDocumentBuilder();
      parser.parse(program.root.resolve("work/Top/NewsXML.xml").toFile());
      parser.parse(program.root.resolve("work/Top/Fe ed Desk/Fe ed Desk.asx").toFile());
      assertEquals(List.of("#EXTM3U", "#EXTINF:-1,Bad title", "Feed/01 Bad title.mp3",
          "#EXTINF:-1,Line one http://evil.example/x", "Feed/02 Line one http___evil.example_x.mp3",
          "#EXTINF:-1,Next line", "Feed/03 Next line.mp3"),
          Files.readAllLines(program.root.resolve("work/Top/Fe ed Desk/Fe ed Desk.m3u")));
      assertTrue(program.read("work/Top/Fe ed Desk/Feed/02 Line one http___evil.example_x.txt")
          .startsWith("Line one http://evil.example/x\n\nTwo."));
    }
  }

  // A channel of many tiny items keeps a bounded number of articles, and says once what it did
  // not read, each item counted once; pages that fail for one cause are one entry; a title of
  // megabytes is cut at a word; a channel that yields nothing says why.
  @Test
  public void articleCountTitlesAndEntries() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      StringBuilder items = new StringBuilder();
      for (int i = 0; i < 12; ++i) {
        items.append("<item><title>Item ").append(i).append("</title><link>/gone/").append(i)
            .append("</link><description>Text ").append(i).append(".</description></item>");
      }
      String huge = "word ".repeat(400_000);
      site.page("/many.xml", RSS, TestSite.rss("Many").replace("</channel>", items + "</channel>"))
          .page("/long.xml", RSS, TestSite.rss("Long", "<link>/story</link>"))
          .page("/story", "text/html", "<html><head><meta property=og:title content=\"" + huge
              + "\"></head><body><p>The story.</p></body></html>")
          .page("/empty.xml", RSS, TestSite.rss("Empty"));
      program.write("Channels.txt", TestFiles.channel("Many", site.base + "/many.xml")
          + TestFiles.channel("Long", site.base + "/long.xml", "3", "1")
          + TestFiles.channel("Empty", site.base + "/empty.xml"));

      assertEquals(0, crawl(program, "Many", Limits.standard().withArticles(5)));
      assertEquals(5, files(program.root.resolve("work/Top/Many/Many")).size());
      assertEquals("Item 4\n\nText 4.\n", program.read("work/Top/Many/Many/05 Item 4.txt"));
      assertEquals(List.of("Channel Many: " + site.base + "/gone/0 and 5 more: HTTP 404 Not Found;"
          + " the feed's description is spoken instead",
          "7 links of Many were not read: the limit of 5 articles was reached"), logEntries(program));

      assertEquals(0, crawl(program, "Long", Limits.standard()));
      String title = program.read("work/Top/NewsXML.xml").replaceAll("(?s).*<title>(.*?)</title>.*",
          "$1");
      assertEquals(Limits.TITLE_CHARS - 1, title.length());
      assertEquals("word ".repeat(100).trim(), title);

      assertEquals(0, crawl(program, "Empty", Limits.standard()));
      assertEquals(List.of("Channel Empty: nothing was read from " + site.base + "/empty.xml: its"
          + " feed has no items"), logEntries(program));
    }
  }

  // Links past the page limit are one log entry with their count; the limit is exact.
  @Test
  public void pageLimitIsOneEntry() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      StringBuilder links = new StringBuilder("<html><head><title>Many</title></head><body>");
      for (int i = 0; i < 510; ++i) {
        links.append("<a href=\"/").append(i).append("\">").append(i).append("</a>");
        site.html("/" + i, "Page " + i, "Text " + i + ".");
      }
      site.page("/index.html", "text/html", links.toString());
      program.write("Channels.txt", TestFiles.channel("Many", site.base + "/index.html", "3", "1",
          "11", "0"));
      assertEquals(0, crawl(program, "Many", Limits.standard().withPages(10)));
      assertEquals(9, files(program.root.resolve("work/Top/Many/Many")).size());
      assertEquals(List.of("501 links of Many were not read: the page limit of 10 was reached"),
          logEntries(program));

      // The text a channel keeps is bounded the same way.
      assertEquals(0, crawl(program, "Many", Limits.standard().withChannelChars(30)));
      assertEquals(4, files(program.root.resolve("work/Top/Many/Many")).size());
      assertEquals(List.of("506 links of Many were not read: the text limit of 30 characters was"
          + " reached"), logEntries(program));
    }
  }
}
