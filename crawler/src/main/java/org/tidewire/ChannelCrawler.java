// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.io.IOException;
import java.net.URI;
import java.net.URISyntaxException;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.util.ArrayDeque;
import java.util.HashSet;
import java.util.LinkedHashMap;
import java.util.Locale;
import java.util.Map;
import java.util.Set;
import org.jsoup.Jsoup;
import org.jsoup.nodes.Document;
import org.jsoup.nodes.Element;

/**
 * Reads one channel: its start document is a feed of categories, a feed of articles, or a web
 * page that is crawled for articles and feeds. Each item, page and feed is read on its own: a
 * failure of one (an address that does not parse, a document that cannot be read, any error in
 * reading it) is logged once with its address and the channel goes on; a channel whose start
 * document cannot be read throws ChannelFailure.
 *
 * <p>A document read over the network leads only to web documents; a channel whose start is a
 * local file may also read the local files below that file's folder. When the page limit, the
 * channel's time or its text limit is reached the channel keeps what it has, and the links it
 * did not read are one log entry.
 */
final class ChannelCrawler {

  static final class ChannelFailure extends Exception {
    private static final long serialVersionUID = 1L;

    ChannelFailure(String message) {
      super(message);
    }
  }

  private final ChannelSettings channel;
  private final Path programFolder;
  private final Fetcher fetcher;
  private final CrawlLog log;
  private final Limits limits;
  private final String timeLimit; // the time limit that ends this channel, in words
  private final News.Channel result;
  private Path localRoot; // the folder whose files a local channel may read; null: none
  private int pagesRead;
  private long charsKept;
  private int articlesKept;
  private final Map<String, Failures> failures = new LinkedHashMap<>(); // by cause, in order
  private boolean loggedAny; // whether an entry of this channel was logged
  private String stopReason; // why the channel reads no more documents; null while it reads
  private int notRead;
  private Deadline documentDeadline = Deadline.NONE; // of the document read last

  /** A document the channel did not read because it stopped reading; counted, not logged. */
  private static final class NotRead extends IOException {
    private static final long serialVersionUID = 1L;

    NotRead() {
      super("not read");
    }
  }

  private LinkFilter linkFilter;
  private LinkFilter extraLinkFilter;
  private LinkFilter negativeLinkFilter;
  private LinkFilter negativeLinkTextFilter;
  private LinkFilter rssFilter;

  /**
   * A crawler of the channel whose fetcher ends its documents by the channel's deadline;
   * timeLimit names the limit that sets that deadline, for the log.
   */
  ChannelCrawler(ChannelSettings channel, Path programFolder, Fetcher fetcher, CrawlLog log,
      Limits limits, String timeLimit) {
    this.channel = channel;
    this.programFolder = programFolder;
    this.fetcher = fetcher;
    this.log = log;
    this.limits = limits;
    this.timeLimit = timeLimit;
    this.result = new News.Channel(channel.name, channel.url);
  }

  News.Channel crawl() throws ChannelFailure {
    compileFilters();
    URI start = startUri(channel.url, programFolder);
    if ("file".equals(start.getScheme())) localRoot = Path.of(start).getParent();
    if (channel.hasLogin()) logIn();
    Fetcher.Response response;
    try {
      response = fetch(start, false);
    } catch (IOException e) {
      throw new ChannelFailure("cannot read " + channel.url + ": "
          + (e instanceof NotRead ? stopReason : e.getMessage()));
    }
    if (response.isEmpty()) throw new ChannelFailure("the document " + channel.url + " is empty");
    Feeds.Feed feed = null;
    try {
      feed = feedOf(response);
      String type = mediaType(response.contentType());
      if (feed == null && !type.isEmpty() && !type.contains("html") && !type.contains("xml")
          && !type.startsWith("text/")) {
        throw new ChannelFailure("cannot read " + channel.url + ": not a feed or page (" + type + ")");
      }
      if (feed != null) {
        readFeedChannel(feed, response.base(), result);
      } else {
        crawlSite(response, result);
      }
    } finally {
      logFailures();
    }
    if (!loggedAny && result.categories.stream().allMatch(c -> c.articles.isEmpty())) {
      log.error("Channel " + channel.name + ": nothing was read from " + channel.url + ": "
          + (feed == null ? "its pages hold no article the channel's filters and rules take"
              : feed.items().isEmpty() ? "its feed has no items"
              : "its feed's items have neither a page to read nor text"));
    }
    return result;
  }

  /** The media type of a Content-Type, in lower case and without its parameters. */
  static String mediaType(String contentType) {
    int parameters = contentType.indexOf(';');
    return (parameters < 0 ? contentType : contentType.substring(0, parameters)).trim()
        .toLowerCase(Locale.ROOT);
  }

  /** What the channel has read so far; after a crawl that broke off, what it kept till then. */
  News.Channel partial() {
    return result;
  }

  /**
   * Logs the channel's failures, one entry per cause: "Channel C: ADDRESS: CAUSE", or with more
   * than one address "Channel C: ADDRESS and N more: CAUSE"; then the links it did not read.
   */
  private void logFailures() {
    for (Map.Entry<String, Failures> entry : failures.entrySet()) {
      Failures failure = entry.getValue();
      log.error("Channel " + channel.name + ": " + failure.first
          + (failure.count == 1 ? "" : " and " + (failure.count - 1) + " more") + ": "
          + entry.getKey());
    }
    loggedAny |= !failures.isEmpty();
    failures.clear();
    if (notRead > 0) {
      log.error(notRead + (notRead == 1 ? " link of " : " links of ") + channel.name
          + " were not read: " + stopReason);
      loggedAny = true;
      notRead = 0;
    }
  }

  /** The addresses that failed for one cause: the first of them, and how many. */
  private static final class Failures {
    final String first;
    int count;

    Failures(String first) {
      this.first = first;
    }
  }

  /**
   * The address of the start document, as the channel editor resolves it for its categories: a
   * network address as it stands; otherwise a local file, after "file:" (and "//") when the URL
   * holds it, a path not beginning with "/" taken from the program folder.
   */
  static URI startUri(String url, Path programFolder) throws ChannelFailure {
    String trimmed = url.trim();
    String lower = trimmed.toLowerCase(Locale.ROOT);
    if (lower.startsWith("http:") || lower.startsWith("https:")) {
      try {
        return new URI(trimmed);
      } catch (Exception e) {
        throw new ChannelFailure("the URL " + url + " is not a valid address");
      }
    }
    if (lower.startsWith("ftp:")) throw new ChannelFailure("ftp addresses are not supported: " + url);
    String path = url;
    int scheme = path.indexOf("file:");
    boolean fileScheme = scheme >= 0;
    if (fileScheme) {
      path = path.substring(scheme + 5);
      if (path.startsWith("//")) path = path.substring(2);
    }
    if (path.replace("/", "").isEmpty()) throw new ChannelFailure("the channel has no URL");
    Path file = !fileScheme && !path.startsWith("/") ? programFolder.resolve(path) : Path.of(path);
    return file.toAbsolutePath().normalize().toUri();
  }

  private void compileFilters() throws ChannelFailure {
    try {
      linkFilter = LinkFilter.parse("Link Filter", channel.linkFilter);
      extraLinkFilter = LinkFilter.parse("Extra Link Filter", channel.extraLinkFilter);
      negativeLinkFilter = LinkFilter.parse("Negative Link Filter", channel.negativeLinkFilter);
      negativeLinkTextFilter =
          LinkFilter.parse("Negative Link Text Filter", channel.negativeLinkTextFilter);
      rssFilter = LinkFilter.parse("RSS Filter", channel.rssFilter);
    } catch (IllegalArgumentException e) {
      throw new ChannelFailure(e.getMessage());
    }
  }

  /** The login form: fields "username" and "password", posted to the login URL. */
  private void logIn() throws ChannelFailure {
    Map<String, String> fields = new LinkedHashMap<>();
    fields.put("username", channel.userName);
    fields.put("password", channel.password);
    try {
      fetcher.postForm(new URI(channel.loginUrl.trim()), fields);
    } catch (Exception e) {
      throw new ChannelFailure("login at " + channel.loginUrl + " failed: " + e.getMessage());
    }
  }

  /**
   * The document at the address, while the channel still reads; null when robots.txt forbids
   * it (asked only where obeyRobots). Throws NotRead once the channel has stopped reading.
   */
  private Fetcher.Response fetch(URI uri, boolean obeyRobots) throws IOException {
    if (stopReason == null && pagesRead >= limits.pages()) {
      stopReason = "the page limit of " + limits.pages() + " was reached";
    }
    if (stopReason == null && fetcher.channelTimeIsUp()) stopReason = timeUp();
    if (stopReason != null) {
      ++notRead;
      throw new NotRead();
    }
    if (obeyRobots && !fetcher.allowedByRobots(uri)) return null;
    ++pagesRead;
    documentDeadline = fetcher.documentDeadline();
    try {
      return fetcher.get(uri);
    } catch (IOException e) {
      if (!fetcher.channelTimeIsUp()) throw e;
      // Cut off by the channel's deadline: one of the links the channel did not read.
      stopReason = timeUp();
      ++notRead;
      throw new NotRead();
    }
  }

  private String timeUp() {
    return timeLimit + " was reached";
  }

  /**
   * Notes the failure of one item, page or feed for the log (see logFailures); one that was not
   * read, or that failed once the channel's time was up, is only counted.
   */
  private void logFailure(String address, Exception failure) {
    if (failure instanceof NotRead) return;
    if (fetcher.channelTimeIsUp()) {
      if (stopReason == null) stopReason = timeUp();
      ++notRead;
      return;
    }
    String cause = failure instanceof IOException ? failure.getMessage() : failure.toString();
    failures.computeIfAbsent(String.valueOf(cause), key -> new Failures(address)).count++;
  }

  /** Adds the article while the channel's limits of text and of articles allow. */
  private void keep(News.Category category, News.Article article) {
    boolean full = articlesKept >= limits.articles();
    if (full || charsKept + article.text().length() > limits.channelChars()) {
      if (stopReason == null) {
        stopReason = full ? "the limit of " + limits.articles() + " articles was reached"
            : "the text limit of " + limits.channelChars() + " characters was reached";
      }
      ++notRead;
      return;
    }
    ++articlesKept;
    charsKept += article.text().length();
    category.articles.add(article);
  }

  /** The feed in the response, or null when it is not one. */
  private static Feeds.Feed feedOf(Fetcher.Response response) {
    try {
      return Feeds.read(Feeds.parseXml(response.body(), response.charset(),
          response.base().toString()));
    } catch (IOException | RuntimeException e) {
      return null;
    }
  }

  private void readFeedChannel(Feeds.Feed feed, URI base, News.Channel result) {
    boolean categoryFeed = !feed.items().isEmpty() && rssFilter.isSet();
    for (Feeds.Item item : feed.items()) {
      if (item.link().isEmpty() || !rssFilter.matches(item.link())) categoryFeed = false;
    }
    if (!categoryFeed) {
      News.Category category =
          new News.Category(feed.title().isEmpty() ? channel.name : feed.title());
      result.categories.add(category); // what it holds is kept should a later item fail
      addFeedArticles(feed, base, category);
      return;
    }
    int count = 0;
    // Items whose links only looked like category feeds: articles of the feed's own category.
    News.Category own = new News.Category(feed.title().isEmpty() ? channel.name : feed.title());
    for (Feeds.Item item : feed.items()) {
      if (channel.categoriesToDownload > 0 && count == channel.categoriesToDownload) break;
      ++count;
      URI address = address(base, item.link());
      if (address == null) {
        logFailure(item.link(), new IOException("not an address the channel may read"));
        continue;
      }
      try {
        Fetcher.Response response = fetch(address, false);
        if (response.isEmpty()) throw new IOException("the document is empty");
        Feeds.Feed categoryFeedDocument = feedOf(response);
        if (categoryFeedDocument == null) {
          News.Article article = article(response, html(response), item.title());
          String text = article.text().isEmpty() ? cut(item.description()) : article.text();
          if (text.isEmpty()) throw new IOException("neither a news feed nor an article");
          keep(own, new News.Article(item.title().isEmpty() ? article.title() : item.title(),
              article.url(), item.date(), text,
              Languages.first(article.language(), feed.language())));
          continue;
        }
        News.Category category = new News.Category(
            item.title().isEmpty() ? categoryFeedDocument.title() : item.title());
        result.categories.add(category);
        addFeedArticles(categoryFeedDocument, response.base(), category);
      } catch (IOException | RuntimeException e) {
        logFailure(address.toString(), e);
      }
    }
    if (!own.articles.isEmpty()) result.categories.add(own);
  }

  private void addFeedArticles(Feeds.Feed feed, URI base, News.Category category) {
    for (Feeds.Item item : feed.items()) {
      if (channel.linksInLeafNode > 0 && category.articles.size() == channel.linksInLeafNode) break;
      URI address = item.link().isEmpty() ? null : address(base, item.link());
      if (address == null && !item.link().isEmpty()) {
        logFailure(item.link(), new IOException("not an address the channel may read"
            + (item.description().isEmpty() ? "" : "; the feed's description is spoken instead")));
      }
      if (address != null && !passes(address.toString(), item.title())) continue;
      String text = "";
      String title = item.title();
      String language = feed.language();
      if (address != null) {
        try {
          Fetcher.Response page = fetch(address, false);
          Document document = html(page);
          text = articleText(document, page);
          if (title.isEmpty()) title = titleOf(document, "");
          language = Languages.first(Languages.ofPage(document, page.language()), language);
        } catch (IOException | RuntimeException e) {
          // A link not read whose description is spoken is no loss; one not kept is counted there.
          if (e instanceof NotRead && !cut(item.description()).isEmpty()) --notRead;
          logFailure(address.toString(), e instanceof IOException && !(e instanceof NotRead)
              && !item.description().isEmpty()
              ? new IOException(e.getMessage() + "; the feed's description is spoken instead") : e);
        }
      }
      if (text.isEmpty()) text = cut(item.description());
      if (text.isEmpty()) continue;
      keep(category, new News.Article(title.isEmpty() ? "Untitled" : title,
          address == null ? "" : address.toString(), item.date(), text, language));
    }
  }

  /**
   * Crawls from a web page: links are followed up to the crawl depth within the allowed sites.
   * Article pages are those whose links match the Extra Link Filter, or without one, the pages
   * at the crawl depth; links that match the RSS Filter are read as feeds, each a category.
   */
  private void crawlSite(Fetcher.Response startPage, News.Channel result) {
    Set<String> hosts = allowedHosts(startPage.uri());
    Document first = html(startPage);
    News.Category main = new News.Category(titleOf(first, channel.name));
    result.categories.add(main); // first, and kept should a later page fail; left out if empty
    int feeds = 0;
    record Link(URI uri, int depth) {}
    ArrayDeque<Link> queue = new ArrayDeque<>();
    Set<String> seen = new HashSet<>();
    seen.add(withoutFragment(startPage.uri()).toString());
    if (channel.crawlDepth <= 0) {
      try {
        keep(main, article(startPage, first, ""));
      } catch (IOException e) {
        logFailure(startPage.uri().toString(), e);
      }
    }
    queue.add(new Link(startPage.uri(), 0));
    Document current = first;
    Fetcher.Response currentResponse = startPage;
    while (!queue.isEmpty()) {
      Link link = queue.poll();
      if (link.depth() > 0) {
        try {
          currentResponse = fetch(link.uri(), true);
          if (currentResponse == null) continue;
          current = html(currentResponse);
        } catch (IOException | RuntimeException e) {
          logFailure(link.uri().toString(), e);
          continue;
        }
      }
      if (link.depth() >= channel.crawlDepth) continue;
      int examined = 0;
      for (Element anchor : current.select("a[href]")) {
        if (channel.linksForExtraFiltering > 0 && examined == channel.linksForExtraFiltering) break;
        ++examined;
        URI target = address(currentResponse.uri(), anchor.attr("href"));
        if (target == null || !hosts.contains(siteOf(target))) continue;
        target = withoutFragment(target);
        if (!seen.add(target.toString())) continue;
        String text = anchor.text().trim();
        if (rssFilter.matches(target.toString())) {
          if ((channel.categoriesToDownload <= 0 || feeds < channel.categoriesToDownload)
              && !negativeLinkFilter.matches(target.toString())) {
            ++feeds;
            readLinkedFeed(target, text, result);
          }
          continue;
        }
        if (!passes(target.toString(), text)) continue;
        boolean articleLink = extraLinkFilter.isSet()
            ? extraLinkFilter.matches(target.toString())
            : link.depth() + 1 == channel.crawlDepth;
        if (!articleLink) {
          // Followed only where its own links can still be taken.
          if (link.depth() + 1 < channel.crawlDepth) queue.add(new Link(target, link.depth() + 1));
        } else if (channel.linksInLeafNode <= 0 || main.articles.size() < channel.linksInLeafNode) {
          readArticlePage(target, text, main);
        }
      }
    }
    if (main.articles.isEmpty()) result.categories.remove(main);
  }

  private void readLinkedFeed(URI address, String text, News.Channel result) {
    try {
      Fetcher.Response response = fetch(address, false);
      if (response.isEmpty()) throw new IOException("the document is empty");
      Feeds.Feed feed = feedOf(response);
      if (feed == null) throw new IOException("not a news feed");
      News.Category category = new News.Category(!feed.title().isEmpty() ? feed.title()
          : text.isEmpty() ? address.toString() : text);
      result.categories.add(category);
      addFeedArticles(feed, response.base(), category);
    } catch (IOException | RuntimeException e) {
      logFailure(address.toString(), e);
    }
  }

  private void readArticlePage(URI address, String linkText, News.Category category) {
    try {
      Fetcher.Response page = fetch(address, true);
      if (page == null) return;
      News.Article article = article(page, html(page), linkText);
      if (article.text().isEmpty()) {
        logFailure(address.toString(),
            new IOException("no article text found by the channel's text rules"));
      } else {
        keep(category, article);
      }
    } catch (IOException | RuntimeException e) {
      logFailure(address.toString(), e);
    }
  }

  private News.Article article(Fetcher.Response page, Document document, String linkText)
      throws IOException {
    return new News.Article(titleOf(document, linkText.isEmpty() ? "Untitled" : linkText),
        page.uri().toString(), "", articleText(document, page),
        Languages.ofPage(document, page.language()));
  }

  /** The page's article text; an IOException when finding it outlasts the document's time. */
  private String articleText(Document document, Fetcher.Response page) throws IOException {
    try {
      return cut(TextRules.articleText(document.outerHtml(), page.uri().toString(), channel,
          documentDeadline));
    } catch (Deadline.Exceeded e) {
      throw new IOException("its text was not found within the time limit of a document");
    }
  }

  /** The text within the channel's "Number of Characters" and the limit of one article. */
  private String cut(String text) {
    int limit = channel.numberOfCharacters > 0
        ? Math.min(channel.numberOfCharacters, limits.articleChars()) : limits.articleChars();
    return TextRules.cut(text, limit);
  }

  /** The Link Filter matches (when set); the negative filters match neither link nor text. */
  private boolean passes(String address, String text) {
    if (linkFilter.isSet() && !linkFilter.matches(address)) return false;
    return !negativeLinkFilter.matches(address) && !negativeLinkTextFilter.matches(text);
  }

  private Set<String> allowedHosts(URI start) {
    Set<String> hosts = new HashSet<>();
    hosts.add(siteOf(start));
    for (String site : channel.webSiteUrls.split("[\\s,;]+")) {
      if (site.isEmpty()) continue;
      URI uri = address(start, site.contains("://") ? site : "http://" + site);
      if (uri != null) hosts.add(siteOf(uri));
    }
    return hosts;
  }

  /** A site: the host in lower case without a leading "www."; local files are one site. */
  private static String siteOf(URI uri) {
    if ("file".equalsIgnoreCase(uri.getScheme())) return "file:";
    String host = uri.getHost() == null ? "" : uri.getHost().toLowerCase(Locale.ROOT);
    return host.startsWith("www.") ? host.substring(4) : host;
  }

  private static URI withoutFragment(URI uri) {
    try {
      return new URI(uri.getScheme(), uri.getRawSchemeSpecificPart() == null ? null
          : uri.getSchemeSpecificPart(), null);
    } catch (Exception e) {
      return uri;
    }
  }

  /**
   * The link resolved against the document's address; null when it is not one this channel
   * reads: a web address with a host, or a local file below the local channel's own folder.
   */
  private URI address(URI base, String link) {
    URI target = resolve(base, link);
    if (target == null || Fetcher.isFetchable(target)) return target;
    return "file".equalsIgnoreCase(target.getScheme()) && isLocalFileBelow(target, localRoot)
        ? target : null;
  }

  /** The link resolved against the base; null when it does not parse. */
  static URI resolve(URI base, String link) {
    String trimmed = link.trim();
    if (trimmed.isEmpty()) return null;
    try {
      return base.resolve(new URI(trimmed.replace(" ", "%20")));
    } catch (URISyntaxException | IllegalArgumentException e) {
      return null;
    }
  }

  /** Whether the address is a file on this machine below the folder (never when it is null). */
  static boolean isLocalFileBelow(URI file, Path folder) {
    if (folder == null || file.isOpaque() || file.getRawAuthority() != null) return false;
    try {
      return Path.of(file).normalize().startsWith(folder);
    } catch (IllegalArgumentException | java.nio.file.FileSystemNotFoundException e) {
      return false;
    }
  }

  private static Document html(Fetcher.Response page) {
    return html(page.body(), page.charset(), page.uri().toString());
  }

  /** The page parsed in its charset (see Charsets); charsetName is the answer header's. */
  static Document html(byte[] body, String charsetName, String uri) {
    return Jsoup.parse(Charsets.decode(body, charsetName), uri);
  }

  /** The article text of a page as a channel reads it (benchmarks use it too). */
  static String pageText(byte[] body, String charsetName, String uri, ChannelSettings channel) {
    Document document = html(body, charsetName, uri);
    return TextRules.articleText(document.outerHtml(), uri, channel);
  }

  /** The page's title of its article: its metadata's, its heading's, its title's, or fallback. */
  private static String titleOf(Document document, String fallback) {
    String stated = Metadata.title(document);
    if (!stated.isEmpty()) return stated;
    Element heading = document.selectFirst("h1");
    if (heading != null && !heading.text().isBlank()) return heading.text().trim();
    if (!document.title().isBlank()) return document.title().trim();
    return fallback;
  }
}
