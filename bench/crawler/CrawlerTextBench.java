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
  }

  private static String text(byte[] body, ChannelSettings channel) {
    return ChannelCrawler.pageText(body, null, "http://bench.example/page.html", channel);
  }
}
