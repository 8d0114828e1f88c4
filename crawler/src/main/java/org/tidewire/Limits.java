// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.time.Duration;

/**
 * Every bound of a crawl in one place. A site can be slow, large or endless; these limits make
 * sure that one document, one channel and the whole crawl each end, and that what a channel keeps
 * fits a small machine's default heap. Tests shorten them.
 *
 * @param connect time to open a connection
 * @param answer time for one answer: its headers, and again its body
 * @param document time for one document, every redirect hop and the body included
 * @param channel time for one channel; then it keeps what it has read
 * @param crawl time for the whole crawl; channels still reading then keep what they have
 * @param maxBytes size of one document, decompressed
 * @param maxRedirects redirects followed for one document
 * @param pages documents read per channel
 * @param articleChars characters kept of one article's text
 * @param channelChars characters of article text kept per channel
 * @param articles articles kept per channel, however short (a feed may hold a great many)
 */
record Limits(Duration connect, Duration answer, Duration document, Duration channel,
    Duration crawl, int maxBytes, int maxRedirects, int pages, int articleChars,
    int channelChars, int articles) {

  static Limits standard() {
    return new Limits(Duration.ofSeconds(10), Duration.ofSeconds(30), Duration.ofSeconds(60),
        Duration.ofMinutes(10), Duration.ofMinutes(30), 5 << 20, 5, 200, 250_000, 4_000_000,
        1_000);
  }

  /** Characters of an article's title, or a category's name, kept: it is one spoken line. */
  static final int TITLE_CHARS = 500;

  /**
   * How long the crawl waits past its own limit for channels to end their last document; a channel
   * still running then is left out. The documents' own limits end within the crawl's limit, so
   * this covers only the work on what was read.
   */
  static final Duration GRACE = Duration.ofSeconds(30);

  Limits withAnswer(Duration value) {
    return new Limits(connect, value, document, channel, crawl, maxBytes, maxRedirects, pages,
        articleChars, channelChars, articles);
  }

  Limits withDocument(Duration value) {
    return new Limits(connect, answer, value, channel, crawl, maxBytes, maxRedirects, pages,
        articleChars, channelChars, articles);
  }

  Limits withChannel(Duration value) {
    return new Limits(connect, answer, document, value, crawl, maxBytes, maxRedirects, pages,
        articleChars, channelChars, articles);
  }

  Limits withCrawl(Duration value) {
    return new Limits(connect, answer, document, channel, value, maxBytes, maxRedirects, pages,
        articleChars, channelChars, articles);
  }

  Limits withMaxBytes(int value) {
    return new Limits(connect, answer, document, channel, crawl, value, maxRedirects, pages,
        articleChars, channelChars, articles);
  }

  Limits withPages(int value) {
    return new Limits(connect, answer, document, channel, crawl, maxBytes, maxRedirects, value,
        articleChars, channelChars, articles);
  }

  Limits withChannelChars(int value) {
    return new Limits(connect, answer, document, channel, crawl, maxBytes, maxRedirects, pages,
        articleChars, value, articles);
  }

  Limits withArticles(int value) {
    return new Limits(connect, answer, document, channel, crawl, maxBytes, maxRedirects, pages,
        articleChars, channelChars, value);
  }

  /** A duration as a log entry names it: "10 minutes", "60 seconds". */
  static String words(Duration duration) {
    long seconds = duration.toSeconds();
    if (seconds >= 60 && seconds % 60 == 0) {
      long minutes = seconds / 60;
      return minutes + (minutes == 1 ? " minute" : " minutes");
    }
    if (seconds >= 1) return seconds + (seconds == 1 ? " second" : " seconds");
    return duration.toMillis() + " ms";
  }
}
