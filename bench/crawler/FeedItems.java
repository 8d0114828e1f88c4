// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import java.util.stream.Collectors;
import java.util.stream.Stream;

/**
 * The items the crawler reads from every feed file below a folder, one JSON line per file:
 * {"file": ..., "feed": true|false, "items": [{"title", "link", "text"}...]}. A file's
 * "Header: Content-type: ..." comment, where it has one, is taken as the answer's header.
 * Usage: FeedItems FOLDER
 */
public final class FeedItems {
  private FeedItems() {}

  private static final Pattern HEADER =
      Pattern.compile("Header:\\s*Content-type:\\s*([^\\r\\n]*)", Pattern.CASE_INSENSITIVE);

  public static void main(String[] args) throws Exception {
    Path folder = Path.of(args[0]);
    List<Path> files;
    try (Stream<Path> walk = Files.walk(folder)) {
      files = walk.filter(Files::isRegularFile).sorted().collect(Collectors.toList());
    }
    StringBuilder out = new StringBuilder();
    for (Path file : files) {
      byte[] bytes = Files.readAllBytes(file);
      Matcher header = HEADER.matcher(new String(bytes, StandardCharsets.ISO_8859_1));
      String type = header.find() ? header.group(1).trim() : "";
      String relative = folder.relativize(file).toString();
      Feeds.Feed feed;
      try {
        feed = Feeds.read(Feeds.parseXml(bytes, Fetcher.charsetOf(type),
            "http://127.0.0.1:8097/" + relative));
      } catch (Exception | StackOverflowError e) {
        feed = null;
      }
      out.append("{\"file\":").append(json(relative)).append(",\"feed\":").append(feed != null)
          .append(",\"items\":[");
      if (feed != null) {
        for (int i = 0; i < feed.items().size(); ++i) {
          Feeds.Item item = feed.items().get(i);
          if (i > 0) out.append(',');
          out.append("{\"title\":").append(json(item.title())).append(",\"link\":")
              .append(json(item.link())).append(",\"text\":").append(json(item.description()))
              .append('}');
        }
      }
      out.append("]}\n");
    }
    System.out.print(out);
  }

  private static String json(String text) {
    StringBuilder out = new StringBuilder("\"");
    for (char c : text.toCharArray()) {
      if (c == '"' || c == '\\') out.append('\\').append(c);
      else if (c < 0x20) out.append(String.format("\\u%04x", (int) c));
      else out.append(c);
    }
    return out.append('"').toString();
  }
}
