// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertTrue;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import org.junit.Test;

public class CrawlTest {
  private static final Path DEMO = Path.of(System.getProperty("brevora.source"), "res/feeds");

  private static void copyDemo(TestFiles program) throws IOException {
    try (Stream<Path> files = Files.walk(DEMO)) {
      for (Path file : files.filter(Files::isRegularFile).collect(Collectors.toList())) {
        program.write("feeds/" + DEMO.relativize(file), Files.readAllBytes(file));
      }
    }
  }

  private static List<String> leftovers(Path top) throws IOException {
    try (Stream<Path> files = Files.walk(top)) {
      return files.map(p -> p.getFileName().toString()).filter(n -> n.endsWith(".part"))
          .collect(Collectors.toList());
    }
  }

  // The demo channel over local files: a category feed in file order, article text without the
  // navigation around it, the index, playlists naming the articles' files, pages; a channel
  // missing from Channels.txt is logged, skipped, and makes the exit code 1.
  @Test
  public void demoChannelOffline() throws Exception {
    try (TestFiles program = new TestFiles()) {
      copyDemo(program);
      program.write("Channels.txt", "#Demo||off\r\n" + TestFiles.channel("Demo", "feeds/demo.xml"));
      program.configuration(program.root.resolve("work").toString(), "Demo,Nowhere,Demo", "mp3");
      int exit = WebCrawler.run(new String[] {program.root + "/"}, Limits.standard());
      assertEquals(1, exit);
      String log = program.read("Brevora.log");
      assertTrue(log, log.matches("\\[\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d [AP]M\\] ERROR - "
          + "Channel Nowhere is not defined in Channels.txt and is skipped\r\r\n"));

      String first = program.read("work/Top/Demo/Getting started/01 Your first run.txt");
      assertTrue(first, first.startsWith("Your first run\n\nWelcome to Brevora."));
      assertFalse(first, first.contains("Choosing your channels") || first.contains("freely"));
      assertTrue(program.exists("work/Top/Demo/Listening/02 Voices and formats.txt"));

      String xml = program.read("work/Top/NewsXML.xml");
      assertTrue(xml.contains("<audio>Demo/Getting started/01 Your first run.mp3</audio>"));
      assertTrue(xml.contains("<category name=\"Listening\">"));
      List<String> m3u = Files.readAllLines(program.root.resolve("work/Top/Demo/Demo.m3u"));
      assertEquals("#EXTM3U", m3u.get(0));
      assertEquals(11, m3u.size());
      for (int i = 2; i < m3u.size(); i += 2) {
        String text = m3u.get(i).replaceAll("\\.mp3$", ".txt");
        assertTrue(text, program.exists("work/Top/Demo/" + text));
      }
      assertTrue(program.read("work/Top/Demo/Demo.asx").contains("Getting%20started/01%20Your"));
      assertTrue(program.read("work/Top/Demo/Demo.html").contains("<audio controls"));
      assertTrue(program.read("work/Top/index.html").contains("href=\"Demo/Demo.html\""));
      assertEquals(List.of(), leftovers(program.root.resolve("work/Top")));
    }
  }

  // "text": pages link the text files and no playlists are written; the category count takes
  // the first categories in file order; without Brevora.cfg the exit code is 2.
  @Test
  public void textFormatAndCategoryCount() throws Exception {
    try (TestFiles program = new TestFiles()) {
      assertEquals(2, WebCrawler.run(new String[] {program.root.toString()},
          Limits.standard()));
      copyDemo(program);
      program.write("Channels.txt", TestFiles.channel("Demo", "feeds/demo.xml", "6", "1"));
      program.configuration(program.root.resolve("work").toString(), "Demo", "text");
      assertEquals(0, WebCrawler.run(new String[] {program.root.toString()},
          Limits.standard()));
      assertFalse(program.exists("work/Top/Demo/Demo.m3u"));
      assertFalse(program.exists("work/Top/Demo/Listening"));
      assertTrue(program.read("work/Top/Demo/Demo.html")
          .contains("href=\"Getting%20started/01%20Your%20first%20run.txt\""));
    }
  }

  // A local channel's rules: a missing Channels.txt is exit code 2; categories of the same name
  // get folders " (2)"; an item whose page cannot be read speaks its content:encoded; quotes in
  // titles are escaped in the pages written.
  @Test
  public void channelRulesOverLocalFiles() throws Exception {
    try (TestFiles program = new TestFiles()) {
      program.configuration(program.root.resolve("work").toString(), "Local", "mp3");
      assertEquals(2, WebCrawler.run(new String[] {program.root.toString()}, Limits.standard()));
      assertTrue(program.read("Brevora.log"), program.read("Brevora.log")
          .contains("] ERROR - The crawler cannot read Channels.txt: "));
      program.write("Brevora.log", "");
      program.write("feeds/l/cats.xml", "<rss><channel><title>Cats</title><item><title>Cat"
          + "</title><link>c1.xml</link></item><item><title>Cat</title><link>c2.xml</link></item>"
          + "</channel></rss>");
      program.write("feeds/l/c1.xml", "<rss><channel><title>One</title><item><title>Say \"hi\""
          + "</title><link>gone.html</link><content:encoded><![CDATA[<p>The full text.</p>]]>"
          + "</content:encoded><description>Teaser.</description></item></channel></rss>");
      program.write("feeds/l/c2.xml", "<rss><channel><title>Two</title><item><title>Page</title>"
          + "<link>page.html</link></item></channel></rss>");
      program.write("feeds/l/page.html", "<html><body><p>Page text.</p></body></html>");
      program.write("Channels.txt", TestFiles.channel("Local", "feeds/l/cats.xml"));
      assertEquals(0, WebCrawler.run(new String[] {program.root.toString()}, Limits.standard()));
      assertEquals("Say \"hi\"\n\nThe full text.\n",
          program.read("work/Top/Local/Cat/01 Say _hi_.txt"));
      assertEquals("Page\n\nPage text.\n", program.read("work/Top/Local/Cat (2)/01 Page.txt"));
      String page = program.read("work/Top/Local/Local.html");
      assertTrue(page, page.contains("<b>Say &quot;hi&quot;</b>"));
      assertFalse(page, page.contains("Say \"hi\""));
      String log = program.read("Brevora.log");
      assertTrue(log, log.endsWith("gone.html: no such file: " + program.root.toRealPath()
          .resolve("feeds/l/gone.html") + "; the feed's description is spoken instead\r\r\n"));
    }
  }
}
