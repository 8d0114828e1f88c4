// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.io.IOException;
import java.net.URLEncoder;
import java.nio.charset.Charset;
import java.nio.charset.CharsetEncoder;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.text.Normalizer;
import java.time.ZonedDateTime;
import java.time.format.DateTimeFormatter;
import java.util.ArrayList;
import java.util.HashSet;
import java.util.List;
import java.util.Locale;
import java.util.Set;

/**
 * Writes a run's results below Top: the articles as "CHANNEL/CATEGORY/NN TITLE.txt", the index
 * NewsXML.xml, and per channel a page and (unless the format is "text") an M3U and an ASX
 * playlist in the channel's folder, and Top/index.html linking the channel pages. Every file is
 * written aside and renamed into place, so a crawler stopped half way leaves no torn file.
 */
final class OutputWriter {
  private static final int MAX_NAME = 80;
  // Bytes of a name in UTF-8: with the "NN " before it, a " (NN)" after it, its extension and the
  // ".part" of the file written aside, a file name stays within the 255 bytes file systems take.
  static final int MAX_NAME_BYTES = 200;
  private static final Set<String> RESERVED =
      Set.of("con", "prn", "aux", "nul", "com1", "com2", "com3", "com4", "com5", "com6", "com7",
          "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9");

  private final Path top;
  private final String audioExtension; // "" for the format "text"
  private final CrawlLog log;
  private boolean articlesWritten = true; // false once an article's file could not be written

  /** An article and its files' name within its channel's folder, without extension. */
  private record Placed(News.Article article, String inChannel) {}

  OutputWriter(Path top, String audioExtension, CrawlLog log) {
    this.top = top;
    this.audioExtension = audioExtension;
    this.log = log;
  }

  /**
   * Writes everything; true when it all was written. A channel or an article whose files cannot
   * be written is one log entry and is left out; the rest is written all the same.
   */
  boolean write(List<News.Channel> channels) {
    try {
      return writeAll(channels);
    } catch (IOException | RuntimeException e) {
      log.error("The crawler cannot write its results: " + describe(e));
      return false;
    } catch (OutOfMemoryError e) {
      log.error("The crawler cannot write its results: out of memory");
      return false;
    }
  }

  private static String describe(Exception e) {
    return e instanceof IOException && e.getMessage() != null ? e.getMessage() : e.toString();
  }

  private boolean writeAll(List<News.Channel> channels) throws IOException {
    boolean complete = true;
    Files.createDirectories(top);
    StringBuilder xml = new StringBuilder("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    xml.append("<news generator=\"").append(escape(Fetcher.USER_AGENT)).append("\" date=\"")
        .append(escape(ZonedDateTime.now().format(DateTimeFormatter.RFC_1123_DATE_TIME)))
        .append("\" format=\"").append(audioExtension.isEmpty() ? "text" : audioExtension.substring(1))
        .append("\">\n");
    List<String[]> pages = new ArrayList<>();
    Set<String> channelFolders = new HashSet<>(Set.of("newsxml.xml", "index.html"));
    for (News.Channel channel : channels) {
      String folder = unique(safeName(channel.name), channelFolders);
      StringBuilder channelXml = new StringBuilder();
      try {
        String page = writeChannel(channel, folder, channelXml);
        pages.add(new String[] {channel.name, folder + "/" + page});
        xml.append(channelXml);
      } catch (IOException | RuntimeException e) {
        log.error("Channel " + channel.name + ": its files cannot be written: " + describe(e));
        complete = false;
      } catch (OutOfMemoryError e) {
        // The channel's articles go, so that the others are still written.
        channel.categories.clear();
        log.error("Channel " + channel.name + ": its files cannot be written: out of memory");
        complete = false;
      }
    }
    xml.append("</news>\n");
    writeAside(top.resolve("NewsXML.xml"), xml.toString());
    writeAside(top.resolve("index.html"), indexPage(pages));
    return complete && articlesWritten;
  }

  private String writeChannel(News.Channel channel, String folder, StringBuilder xml)
      throws IOException {
    Path channelFolder = top.resolve(folder);
    Files.createDirectories(channelFolder);
    xml.append("  <channel name=\"").append(escape(channel.name)).append("\" url=\"")
        .append(escape(channel.url)).append("\">\n");
    Set<String> taken = new HashSet<>();
    for (String own : List.of(".html", ".m3u", ".asx")) taken.add((folder + own).toLowerCase(Locale.ROOT));
    List<List<Placed>> placedByCategory = new ArrayList<>();
    for (News.Category category : channel.categories) {
      String categoryFolder = unique(safeName(category.name), taken);
      Files.createDirectories(channelFolder.resolve(categoryFolder));
      xml.append("    <category name=\"").append(escape(category.name)).append("\">\n");
      List<Placed> placed = new ArrayList<>();
      Set<String> files = new HashSet<>();
      int number = 0;
      int width = category.articles.size() > 99 ? 3 : 2;
      for (News.Article article : category.articles) {
        String base = unique(String.format("%0" + width + "d ", ++number)
            + safeName(article.title()), files);
        String inChannel = categoryFolder + "/" + base;
        try {
          writeAside(channelFolder.resolve(categoryFolder).resolve(base + ".txt"),
              article.title() + "\n\n" + article.text() + "\n");
        } catch (IOException | RuntimeException e) {
          log.error("Channel " + channel.name + ": the article \"" + article.title()
              + "\" cannot be written: " + describe(e));
          articlesWritten = false;
          continue;
        }
        String textPath = folder + "/" + inChannel + ".txt";
        String audioPath = audioExtension.isEmpty() ? "" : folder + "/" + inChannel + audioExtension;
        placed.add(new Placed(article, inChannel));
        xml.append("      <article>\n")
            .append("        <title>").append(escape(article.title())).append("</title>\n")
            .append("        <url>").append(escape(article.url())).append("</url>\n")
            .append("        <date>").append(escape(article.date())).append("</date>\n")
            .append(article.language().isEmpty() ? ""
                : "        <language>" + escape(article.language()) + "</language>\n")
            .append("        <text>").append(escape(textPath)).append("</text>\n")
            .append("        <audio>").append(escape(audioPath)).append("</audio>\n")
            .append("      </article>\n");
      }
      placedByCategory.add(placed);
      xml.append("    </category>\n");
    }
    xml.append("  </channel>\n");
    if (!audioExtension.isEmpty()) {
      writeAside(channelFolder.resolve(folder + ".m3u"), m3u(placedByCategory));
      writeAside(channelFolder.resolve(folder + ".asx"), asx(channel, placedByCategory));
    }
    writeAside(channelFolder.resolve(folder + ".html"), channelPage(channel, folder, placedByCategory));
    return folder + ".html";
  }

  private String m3u(List<List<Placed>> categories) {
    StringBuilder out = new StringBuilder("#EXTM3U\n");
    for (List<Placed> category : categories) {
      for (Placed p : category) {
        out.append("#EXTINF:-1,").append(News.oneLine(p.article().title())).append('\n')
            .append(p.inChannel()).append(audioExtension).append('\n');
      }
    }
    return out.toString();
  }

  private String asx(News.Channel channel, List<List<Placed>> categories) {
    StringBuilder out = new StringBuilder("<asx version=\"3.0\">\n  <title>")
        .append(escape(channel.name)).append("</title>\n");
    for (List<Placed> category : categories) {
      for (Placed p : category) {
        out.append("  <entry>\n    <title>").append(escape(p.article().title()))
            .append("</title>\n    <ref href=\"").append(escape(href(p.inChannel() + audioExtension)))
            .append("\"/>\n  </entry>\n");
      }
    }
    return out.append("</asx>\n").toString();
  }

  private String channelPage(News.Channel channel, String folder, List<List<Placed>> categories) {
    StringBuilder out = pageStart(channel.name, "../../icons/");
    out.append("<p><a href=\"../index.html\">All channels</a>");
    if (!audioExtension.isEmpty()) {
      out.append(" · <a href=\"").append(escape(href(folder + ".m3u"))).append("\">Playlist (M3U)</a>")
          .append(" · <a href=\"").append(escape(href(folder + ".asx"))).append("\">Playlist (ASX)</a>");
    }
    out.append("</p>\n");
    for (int c = 0; c < categories.size(); ++c) {
      out.append("<h2>").append(escape(channel.categories.get(c).name)).append("</h2>\n<ul>\n");
      for (Placed p : categories.get(c)) {
        out.append("<li><p><b>").append(escape(p.article().title())).append("</b>");
        if (!p.article().date().isEmpty()) {
          out.append(" <small>").append(escape(p.article().date())).append("</small>");
        }
        if (!p.article().url().isEmpty()) {
          out.append(" <a href=\"").append(escape(p.article().url())).append("\">source</a>");
        }
        out.append("</p>\n");
        if (audioExtension.isEmpty()) {
          out.append("<p><img src=\"../../icons/text.png\" alt=\"\" width=\"16\" height=\"16\"> <a href=\"")
              .append(escape(href(p.inChannel() + ".txt"))).append("\">Text</a></p>");
        } else {
          String audio = escape(href(p.inChannel() + audioExtension));
          out.append("<p><img src=\"../../icons/audio.png\" alt=\"\" width=\"16\" height=\"16\"> ")
              .append("<audio controls preload=\"none\" src=\"").append(audio).append("\"></audio> <a href=\"")
              .append(audio).append("\">Download</a></p>");
        }
        out.append("</li>\n");
      }
      out.append("</ul>\n");
    }
    return out.append("</body>\n</html>\n").toString();
  }

  private static String indexPage(List<String[]> pages) {
    StringBuilder out = pageStart("Brevora news", "../icons/");
    out.append("<ul>\n");
    for (String[] page : pages) {
      out.append("<li><a href=\"").append(escape(href(page[1]))).append("\">")
          .append(escape(page[0])).append("</a></li>\n");
    }
    return out.append("</ul>\n</body>\n</html>\n").toString();
  }

  private static StringBuilder pageStart(String title, String icons) {
    return new StringBuilder("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>")
        .append(escape(title)).append("</title>\n<link rel=\"icon\" href=\"").append(icons)
        .append("brevora.png\">\n</head>\n<body>\n<h1><img src=\"").append(icons)
        .append("brevora.png\" alt=\"\" width=\"32\" height=\"32\"> ").append(escape(title))
        .append("</h1>\n");
  }

  /** A relative path for an HTML or ASX attribute: each segment percent-encoded. */
  static String href(String relative) {
    StringBuilder out = new StringBuilder();
    for (String segment : relative.split("/", -1)) {
      if (out.length() > 0) out.append('/');
      out.append(URLEncoder.encode(segment, StandardCharsets.UTF_8).replace("+", "%20"));
    }
    return out.toString();
  }

  /**
   * A one-line text for XML and HTML: markup characters escaped, line breaks and tabs made
   * blanks, and control characters and characters XML does not allow (U+FFFE, U+FFFF, lone
   * surrogates) left out.
   */
  static String escape(String text) {
    StringBuilder out = new StringBuilder(text.length());
    text.codePoints().forEach(c -> {
      switch (c) {
        case '&' -> out.append("&amp;");
        case '<' -> out.append("&lt;");
        case '>' -> out.append("&gt;");
        case '"' -> out.append("&quot;");
        case '\n', '\t', 0x85, 0x2028, 0x2029 -> out.append(' ');
        default -> {
          if (!Character.isISOControl(c) && News.xmlAllows(c)) out.appendCodePoint(c);
        }
      }
    });
    return out.toString();
  }

  /**
   * A name that every file system takes: no separators, no control characters or characters
   * Windows refuses, no leading dot or blank, no trailing dot or blank, not a reserved device
   * name, at most 80 characters and MAX_NAME_BYTES bytes in UTF-8; "Untitled" when nothing is
   * left. A character that the system's file names cannot hold (under a locale that is not
   * UTF-8) becomes its plain letter ("é" becomes "e"), or "_" where it has none.
   */
  static String safeName(String title) {
    return safeName(title, NAME_CHARSET);
  }

  static String safeName(String title, Charset names) {
    CharsetEncoder encoder = names.newEncoder();
    StringBuilder out = new StringBuilder();
    title.codePoints().forEach(c -> {
      if (Character.isISOControl(c) || c == 0x2028 || c == 0x2029 || !News.xmlAllows(c)) {
        out.append(' ');
      } else if ("/\\:*?\"<>|".indexOf(c) >= 0) {
        out.append('_');
      } else if (encoder.canEncode(Character.toString(c))) {
        out.appendCodePoint(c);
      } else {
        String plain = Normalizer.normalize(Character.toString(c), Normalizer.Form.NFD)
            .replaceAll("\\p{M}", "");
        out.append(!plain.isEmpty() && encoder.canEncode(plain) ? plain : "_");
      }
    });
    String name = out.toString().replaceAll("\\s+", " ").trim();
    if (name.codePointCount(0, name.length()) > MAX_NAME) {
      name = name.substring(0, name.offsetByCodePoints(0, MAX_NAME)).trim();
    }
    int end = name.length();
    while (name.substring(0, end).getBytes(StandardCharsets.UTF_8).length > MAX_NAME_BYTES) {
      end = name.offsetByCodePoints(end, -1);
    }
    name = name.substring(0, end);
    name = name.replaceAll("^[.\\s]+", "").replaceAll("[.\\s]+$", "");
    if (name.isEmpty()) return "Untitled";
    String stem = name.contains(".") ? name.substring(0, name.indexOf('.')) : name;
    if (RESERVED.contains(stem.toLowerCase(Locale.ROOT))) name = "_" + name;
    return name;
  }

  /** The charset of the system's file names; UTF-8 where the runtime does not say. */
  private static final Charset NAME_CHARSET = nameCharset();

  private static Charset nameCharset() {
    try {
      return Charset.forName(System.getProperty("sun.jnu.encoding", "UTF-8"));
    } catch (IllegalArgumentException e) {
      return StandardCharsets.UTF_8;
    }
  }

  /** The name, or the name with " (2)", " (3)" ... when one equal to it (case ignored) is taken. */
  private static String unique(String name, Set<String> taken) {
    String candidate = name;
    for (int n = 2; !taken.add(candidate.toLowerCase(Locale.ROOT)); ++n) candidate = name + " (" + n + ")";
    return candidate;
  }

  /** Writes the file beside its place and renames it there. */
  static void writeAside(Path path, String text) throws IOException {
    Path aside = path.resolveSibling("." + path.getFileName() + ".part");
    Files.write(aside, text.getBytes(StandardCharsets.UTF_8));
    Files.move(aside, path, StandardCopyOption.ATOMIC_MOVE, StandardCopyOption.REPLACE_EXISTING);
  }
}
