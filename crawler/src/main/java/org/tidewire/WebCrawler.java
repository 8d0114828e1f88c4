package org.tidewire;

import java.io.IOException;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashSet;
import java.util.List;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;

/**
 * Brevora's news crawler. Started by the program with the program folder as its one argument; it
 * reads Brevora.cfg and Channels.txt there, fetches the channels named in Brevora.cfg (several at
 * once, one request at a time per host), and writes the articles, NewsXML.xml, playlists and pages
 * below the working folder's Top.
 *
 * <p>Exit code: 0 when every channel was read; 1 when a channel failed as a whole; 2 when
 * Brevora.cfg or Channels.txt cannot be read. Every failure is one entry in Brevora.log.
 */
public final class WebCrawler {
  static final String VERSION = "1.0.0.1";
  private static final int CHANNELS_AT_ONCE = 4;

  private WebCrawler() {}

  public static void main(String[] args) {
    System.exit(run(args, Fetcher.Limits.standard(), ChannelCrawler.DEFAULT_PAGE_LIMIT));
  }

  static int run(String[] args, Fetcher.Limits limits, int pageLimit) {
    if (args.length != 1) {
      System.err.println("usage: java org.tidewire.WebCrawler PROGRAM_FOLDER");
      return 2;
    }
    Path program = Path.of(args[0]);
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
    ExecutorService pool = Executors.newFixedThreadPool(Math.max(1, Math.min(CHANNELS_AT_ONCE,
        chosen.size())));
    try {
      List<Future<News.Channel>> crawls = new ArrayList<>();
      for (ChannelSettings channel : chosen) {
        crawls.add(pool.submit(() -> {
          try {
            return new ChannelCrawler(channel, program, new Fetcher(limits), log, pageLimit).crawl();
          } catch (ChannelCrawler.ChannelFailure e) {
            log.error("Channel " + channel.name + " failed: " + e.getMessage());
            return null;
          } catch (RuntimeException e) {
            log.error("Channel " + channel.name + " failed: " + e);
            return null;
          }
        }));
      }
      for (Future<News.Channel> crawl : crawls) {
        News.Channel result = crawl.get();
        if (result == null) failed = true;
        else results.add(result);
      }
    } catch (Exception e) {
      log.error("The crawler was interrupted: " + e);
      return 1;
    } finally {
      pool.shutdownNow();
    }
    try {
      Path top = Path.of(settings.workingFolder).resolve("Top");
      new OutputWriter(top, settings.audioExtension()).write(results);
    } catch (IOException e) {
      log.error("The crawler cannot write its results: " + e.getMessage());
      return 1;
    }
    return failed ? 1 : 0;
  }
}
