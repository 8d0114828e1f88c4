// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.io.IOException;
import java.nio.file.InvalidPathException;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashSet;
import java.util.List;
import java.util.Map;
import java.util.concurrent.ConcurrentHashMap;
import java.util.concurrent.ExecutionException;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.TimeoutException;

/**
 * Brevora's news crawler. Started by the program with the program folder as its one argument; it
 * reads Brevora.cfg and Channels.txt there, fetches the channels named in Brevora.cfg (several at
 * once, one request at a time per host), and writes the articles, NewsXML.xml, playlists and pages
 * below the working folder's Top.
 *
 * <p>Exit code: 0 when every channel was read; 1 when a channel failed as a whole; 2 when
 * Brevora.cfg or Channels.txt cannot be read. Every failure is one entry in Brevora.log. The
 * crawl ends within its time limit (see Limits) and what the channels read by then is written.
 */
public final class WebCrawler {
  static final String VERSION = Version.NUMBER;
  private static final int CHANNELS_AT_ONCE = 4;

  private WebCrawler() {}

  public static void main(String[] args) {
    System.exit(run(args, Limits.standard()));
  }

  static int run(String[] args, Limits limits) {
    long crawlEnd = System.nanoTime() + limits.crawl().toNanos();
    if (args.length != 1) {
      System.err.println("usage: java org.tidewire.WebCrawler PROGRAM_FOLDER");
      return 2;
    }
    Path program;
    try {
      program = Path.of(args[0]);
    } catch (InvalidPathException e) {
      System.err.println("The crawler cannot use the program folder " + args[0] + ": "
          + unwritableName());
      return 2;
    }
    CrawlLog log = new CrawlLog(program.resolve("Brevora.log"));
    CrawlerSettings settings;
    List<ChannelSettings> defined;
    try {
      settings = CrawlerSettings.read(program.resolve("Brevora.cfg"));
    } catch (IOException e) {
      log.error("The crawler cannot read Brevora.cfg: " + e.getMessage());
      return 2;
    }
    try {
      defined = ChannelSettings.read(program.resolve("Channels.txt"));
    } catch (IOException e) {
      log.error("The crawler cannot read Channels.txt: " + e.getMessage());
      return 2;
    }
    if (settings.workingFolder.isEmpty()) {
      log.error("The crawler finds no working folder in Brevora.cfg");
      return 2;
    }
    Path top;
    try {
      top = Path.of(settings.workingFolder).resolve("Top");
    } catch (InvalidPathException e) {
      log.error("The crawler cannot use the working folder " + settings.workingFolder + ": "
          + unwritableName());
      return 2;
    }
    boolean failed = false;
    List<ChannelSettings> chosen = new ArrayList<>();
    for (String name : new LinkedHashSet<>(settings.channels)) {
      ChannelSettings channel = ChannelSettings.find(defined, name);
      if (channel == null) {
        log.error("Channel " + name + " is not defined in Channels.txt and is skipped");
        failed = true;
      } else {
        chosen.add(channel);
      }
    }
    List<News.Channel> results = new ArrayList<>();
    Map<String, Robots> robots = new ConcurrentHashMap<>();
    ExecutorService pool = Executors.newFixedThreadPool(
        Math.max(1, Math.min(CHANNELS_AT_ONCE, chosen.size())), task -> {
          Thread thread = new Thread(task, "brevora-channel");
          thread.setDaemon(true); // a channel past every limit never keeps the crawler alive
          return thread;
        });
    try {
      List<Future<News.Channel>> crawls = new ArrayList<>();
      for (ChannelSettings channel : chosen) {
        crawls.add(pool.submit(() -> crawlChannel(channel, program, limits, crawlEnd, robots, log)));
      }
      long waitEnd = crawlEnd + Limits.GRACE.toNanos();
      for (int i = 0; i < crawls.size(); ++i) {
        News.Channel result;
        try {
          result = crawls.get(i).get(Math.max(0, waitEnd - System.nanoTime()), TimeUnit.NANOSECONDS);
        } catch (TimeoutException e) {
          log.error("Channel " + chosen.get(i).name + " did not end within the crawl's time limit of "
              + Limits.words(limits.crawl()) + " and is left out");
          result = null;
        } catch (ExecutionException e) {
          log.error("Channel " + chosen.get(i).name + " failed: " + e.getCause());
          result = null;
        }
        if (result == null) failed = true;
        else results.add(result);
      }
    } catch (InterruptedException e) {
      log.error("The crawler was interrupted");
      return 1;
    } finally {
      pool.shutdownNow();
    }
    if (!new OutputWriter(top, settings.audioExtension(), log).write(results)) failed = true;
    return failed ? 1 : 0;
  }

  /** Why a folder's name cannot be used: this system's file names cannot hold it. */
  private static String unwritableName() {
    return "its name cannot be written in the character set of this system's file names ("
        + System.getProperty("sun.jnu.encoding", "unknown") + "); start the crawler under a UTF-8"
        + " locale (LC_ALL=C.UTF-8)";
  }

  /**
   * Reads one channel within its time: the channel's own limit, or what is left of the crawl's.
   * Null when the channel failed as a whole; out of memory, what it had read till then.
   */
  private static News.Channel crawlChannel(ChannelSettings channel, Path program, Limits limits,
      long crawlEnd, Map<String, Robots> robots, CrawlLog log) {
    long channelEnd = System.nanoTime() + limits.channel().toNanos();
    String timeLimit = "the time limit of " + Limits.words(limits.channel()) + " per channel";
    if (crawlEnd - channelEnd < 0) {
      channelEnd = crawlEnd;
      timeLimit = "the crawl's time limit of " + Limits.words(limits.crawl());
    }
    ChannelCrawler crawler = new ChannelCrawler(channel, program,
        new Fetcher(limits, channelEnd, robots), log, limits, timeLimit);
    try {
      return crawler.crawl();
    } catch (ChannelCrawler.ChannelFailure e) {
      log.error("Channel " + channel.name + " failed: " + e.getMessage());
      return null;
    } catch (RuntimeException e) {
      log.error("Channel " + channel.name + " failed: " + e);
      return null;
    } catch (OutOfMemoryError e) {
      log.error("The crawler ran out of memory while reading " + channel.name);
      return crawler.partial();
    }
  }
}
