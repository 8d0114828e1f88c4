package org.tidewire;

import java.io.IOException;
import java.net.URI;
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
 * page that is crawled for articles and feeds. Failures of single documents are logged and the
 * channel goes on; a channel that cannot be read at all throws ChannelFailure.
 */
final class ChannelCrawler {
  static final int DEFAULT_PAGE_LIMIT = 200;

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
  private final int pageLimit;
  private int pagesRead;
  private boolean limitLogged;

  private LinkFilter linkFilter;
  private LinkFilter extraLinkFilter;
  private LinkFilter negativeLinkFilter;
  private LinkFilter negativeLinkTextFilter;
  private LinkFilter rssFilter;

  ChannelCrawler(ChannelSettings channel, Path programFolder, Fetcher fetcher, CrawlLog log,
      int pageLimit) {
    this.channel = channel;
    this.programFolder = programFolder;
    this.fetcher = fetcher;
    this.log = log;
    this.pageLimit = pageLimit;
  }

  News.Channel crawl() throws ChannelFailure {
    compileFilters();
    URI start = startUri(channel.url, programFolder);
    if (channel.hasLogin()) logIn();
    Fetcher.Response response;
    try {
      response = fetch(start);
    } catch (IOException e) {
      throw new ChannelFailure("cannot read " + channel.url + ": " + e.getMessage());
    }
    News.Channel result = new News.Channel(channel.name, channel.url);
    Feeds.Feed feed = feedOf(response);
    if (feed != null) {
      readFeedChannel(feed, response.uri(), result);
    } else {
      crawlSite(response, result);
    }
    return result;
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

  private Fetcher.Response fetch(URI uri) throws IOException {
    if (pagesRead >= pageLimit) {
      if (!limitLogged) {
        limitLogged = true;
        log.error("Channel " + channel.name + ": " + uri + ": the limit of " + pageLimit
            + " documents per channel is reached; the rest is left out");
      }
      throw new IOException("page limit reached");
    }
    ++pagesRead;
    return fetcher.get(uri);
  }

  private void logFailure(String address, String cause) {
    log.error("Channel " + channel.name + ": " + address + ": " + cause);
  }

  /** The feed in the response, or null when it is not one. */
  private static Feeds.Feed feedOf(Fetcher.Response response) {
    try {
      return Feeds.read(Feeds.parseXml(response.body(), response.charset(), response.uri().toString()));
    } catch (IOException e) {
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
      addFeedArticles(feed, base, category);
      result.categories.add(category);
      return;
    }
    int count = 0;
    for (Feeds.Item item : feed.items()) {
      if (channel.categoriesToDownload > 0 && count == channel.categoriesToDownload) break;
      ++count;
      URI address = resolve(base, item.link());
      if (address == null) {
        logFailure(item.link(), "not a valid address");
        continue;
      }
      try {
        Feeds.Feed categoryFeedDocument = feedOf(fetch(address));
        if (categoryFeedDocument == null) throw new IOException("not a news feed");
        News.Category category = new News.Category(
            item.title().isEmpty() ? categoryFeedDocument.title() : item.title());
        addFeedArticles(categoryFeedDocument, address, category);
        result.categories.add(category);
      } catch (IOException e) {
        logFailure(address.toString(), e.getMessage());
      }
    }
  }

  private void addFeedArticles(Feeds.Feed feed, URI base, News.Category category) {
    for (Feeds.Item item : feed.items()) {
      if (channel.linksInLeafNode > 0 && category.articles.size() == channel.linksInLeafNode) break;
      URI address = item.link().isEmpty() ? null : resolve(base, item.link());
      if (address != null && !passes(address.toString(), item.title())) continue;
      String text = "";
      String title = item.title();
      if (address != null) {
        try {
          Fetcher.Response page = fetch(address);
          Document document = html(page);
          text = TextRules.articleText(document.outerHtml(), page.uri().toString(), channel);
          if (title.isEmpty()) title = titleOf(document, "");
        } catch (IOException e) {
          logFailure(address.toString(), e.getMessage()
              + (item.description().isEmpty() ? "" : "; the feed's description is spoken instead"));
        }
      }
      if (text.isEmpty()) {
        text = TextRules.cut(item.description(), channel.numberOfCharacters);
      }
      if (text.isEmpty()) continue;
      category.articles.add(new News.Article(title.isEmpty() ? "Untitled" : title,
          address == null ? "" : address.toString(), item.date(), text));
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
    int feeds = 0;
    record Link(URI uri, int depth) {}
    ArrayDeque<Link> queue = new ArrayDeque<>();
    Set<String> seen = new HashSet<>();
    seen.add(withoutFragment(startPage.uri()).toString());
    if (channel.crawlDepth <= 0) {
      main.articles.add(article(startPage, first, ""));
    }
    queue.add(new Link(startPage.uri(), 0));
    Document current = first;
    Fetcher.Response currentResponse = startPage;
    while (!queue.isEmpty()) {
      Link link = queue.poll();
      if (link.depth() > 0) {
        if (!fetcher.allowedByRobots(link.uri())) continue;
        try {
          currentResponse = fetch(link.uri());
          current = html(currentResponse);
        } catch (IOException e) {
          logFailure(link.uri().toString(), e.getMessage());
          continue;
        }
      }
      if (link.depth() >= channel.crawlDepth) continue;
      int examined = 0;
      for (Element anchor : current.select("a[href]")) {
        if (channel.linksForExtraFiltering > 0 && examined == channel.linksForExtraFiltering) break;
        ++examined;
        URI target = resolve(currentResponse.uri(), anchor.attr("href"));
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
    if (!main.articles.isEmpty()) result.categories.add(0, main);
  }

  private void readLinkedFeed(URI address, String text, News.Channel result) {
    try {
      Feeds.Feed feed = feedOf(fetch(address));
      if (feed == null) throw new IOException("not a news feed");
      News.Category category = new News.Category(!feed.title().isEmpty() ? feed.title()
          : text.isEmpty() ? address.toString() : text);
      addFeedArticles(feed, address, category);
      result.categories.add(category);
    } catch (IOException e) {
      logFailure(address.toString(), e.getMessage());
    }
  }

  private void readArticlePage(URI address, String linkText, News.Category category) {
    if (!fetcher.allowedByRobots(address)) return;
    try {
      Fetcher.Response page = fetch(address);
      News.Article article = article(page, html(page), linkText);
      if (article.text().isEmpty()) {
        logFailure(address.toString(), "no article text found by the channel's text rules");
      } else {
        category.articles.add(article);
      }
    } catch (IOException e) {
      logFailure(address.toString(), e.getMessage());
    }
  }

  private News.Article article(Fetcher.Response page, Document document, String linkText) {
    String text = TextRules.articleText(document.outerHtml(), page.uri().toString(), channel);
    return new News.Article(titleOf(document, linkText.isEmpty() ? "Untitled" : linkText),
        page.uri().toString(), "", text);
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
      URI uri = resolve(start, site.contains("://") ? site : "http://" + site);
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

  /** The link resolved against the document's address; null when it is not one we read. */
  static URI resolve(URI base, String link) {
    String trimmed = link.trim();
    if (trimmed.isEmpty()) return null;
    try {
      URI target = base.resolve(new URI(trimmed.replace(" ", "%20")));
      String scheme = target.getScheme() == null ? "" : target.getScheme().toLowerCase(Locale.ROOT);
      return scheme.equals("http") || scheme.equals("https") || scheme.equals("file") ? target : null;
    } catch (Exception e) {
      return null;
    }
  }

  private static Document html(Fetcher.Response page) {
    Charset charset = null;
    try {
      if (page.charset() != null) charset = Charset.forName(page.charset());
    } catch (Exception e) {
      charset = null; // an unknown name: let the page's own meta tag decide
    }
    try {
      return Jsoup.parse(new java.io.ByteArrayInputStream(page.body()),
          charset == null ? null : charset.name(), page.uri().toString());
    } catch (IOException e) {
      return Jsoup.parse(new String(page.body(), StandardCharsets.UTF_8), page.uri().toString());
    }
  }

  private static String titleOf(Document document, String fallback) {
    Element heading = document.selectFirst("h1");
    if (heading != null && !heading.text().isBlank()) return heading.text().trim();
    if (!document.title().isBlank()) return document.title().trim();
    return fallback;
  }
}
