// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.lang.management.ManagementFactory;
import java.lang.management.ThreadMXBean;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.stream.Collectors;
import java.util.stream.Stream;

/**
 * The crawler's article text of every saved page of a corpus folder (NAME/source.html), written
 * to OUT/NAME.txt, with the channel defaults except "Number of Characters" 0 (no limit); then the
 * CPU time per page, measured over further rounds once the runtime has warmed up.
 * Usage: CrawlerTextBench PAGES OUT
 */
public final class CrawlerTextBench {
  private CrawlerTextBench() {}

  public static void main(String[] args) throws Exception {
    Path pages = Path.of(args[0]);
    Path out = Path.of(args[1]);
    String[] fields = {"Bench", "file:/bench", "", "3", "", "0", "5", "0", "", "0", "", "100",
        "m#^zzzzz#i", "false", "false", "false", "false", "", "", "", "", "", "m#^zzzzz#i",
        "m#^zzzzz#i"};
    ChannelSettings channel = ChannelSettings.parseLine(String.join("||", fields));
    List<Path> sources;
    try (Stream<Path> folders = Files.list(pages)) {
      sources = folders.map(folder -> folder.resolve("source.html")).filter(Files::isRegularFile)
          .sorted().collect(Collectors.toList());
    }
    List<byte[]> bodies = new ArrayList<>();
    for (Path source : sources) bodies.add(Files.readAllBytes(source));
    Files.createDirectories(out);
    for (int i = 0; i < sources.size(); ++i) {
      String name = sources.get(i).getParent().getFileName().toString();
      Files.writeString(out.resolve(name + ".txt"), text(bodies.get(i), channel),
          StandardCharsets.UTF_8);
    }
    ThreadMXBean cpu = ManagementFactory.getThreadMXBean();
    for (int warmUp = 0; warmUp < 5; ++warmUp) {
      for (byte[] body : bodies) text(body, channel);
    }
    final int rounds = 5;
    long worst = 0;
    long total = 0;
    for (int round = 0; round < rounds; ++round) {
      for (byte[] body : bodies) {
        long start = cpu.getCurrentThreadCpuTime();
        text(body, channel);
        long used = cpu.getCurrentThreadCpuTime() - start;
        total += used;
        worst = Math.max(worst, used);
      }
    }
    System.out.printf("CPU per page: %.1f ms mean, %.1f ms at most (%d pages, %d rounds)%n",
        total / 1e6 / rounds / bodies.size(), worst / 1e6, bodies.size(), rounds);

    byte[] feed = feed().getBytes(StandardCharsets.UTF_8);
    for (int warmUp = 0; warmUp < 200; ++warmUp) Feeds.read(Feeds.parseXml(feed, null, "http://x/"));
    long start = cpu.getCurrentThreadCpuTime();
    final int feeds = 200;
    for (int i = 0; i < feeds; ++i) Feeds.read(Feeds.parseXml(feed, null, "http://x/"));
    System.out.printf("CPU per feed: %.2f ms (an RSS feed of 50 items, %d KB)%n",
        (cpu.getCurrentThreadCpuTime() - start) / 1e6 / feeds, feed.length >> 10);
  }

  /** A news feed of the usual size: 50 items, each with an escaped HTML description. */
  private static String feed() {
    StringBuilder xml = new StringBuilder("<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss "
        + "version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel><title>News"
        + "</title><link>http://x/</link>");
    for (int i = 0; i < 50; ++i) {
      xml.append("<item><title>Story number ").append(i).append(" &amp; more</title><link>"
          + "http://x/story/").append(i).append(".html</link><guid isPermaLink=\"false\">id-")
          .append(i).append("</guid><pubDate>Tue, 08 Dec 2026 10:00:00 GMT</pubDate><dc:creator>"
          + "Reporter</dc:creator><description>&lt;p&gt;")
          .append("The first lines of the story, as the site gives them in its feed. ".repeat(8))
          .append("&lt;/p&gt;</description></item>");
    }
    return xml.append("</channel></rss>").toString();
  }

  private static String text(byte[] body, ChannelSettings channel) {
    return ChannelCrawler.pageText(body, null, "http://bench.example/page.html", channel);
  }
}
