// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;

/**
 * What the crawler takes from Brevora.cfg, which the program rewrites just before every run: the
 * working folder, the channels in run order and the output format. Read as leniently as the program
 * reads the file: keys in any letter case, the value after the first "=", reading ends at the
 * first empty line, doubled backslashes read as one.
 */
final class CrawlerSettings {
  String workingFolder = "";
  final List<String> channels = new ArrayList<>();
  String format = "text";

  static CrawlerSettings read(Path file) throws IOException {
    return parse(new String(Files.readAllBytes(file), StandardCharsets.UTF_8));
  }

  static CrawlerSettings parse(String text) {
    CrawlerSettings settings = new CrawlerSettings();
    for (String line : text.split("\n", -1)) {
      if (line.endsWith("\r")) line = line.substring(0, line.length() - 1);
      if (line.isEmpty()) break;
      int equals = line.indexOf('=');
      if (equals < 0) continue;
      String key = line.substring(0, equals).toLowerCase(Locale.ROOT);
      String value = line.substring(equals + 1);
      switch (key) {
        case "workingfolder" -> settings.workingFolder = undoubleBackslashes(value);
        case "format" -> settings.format = value;
        case "channels" -> {
          settings.channels.clear();
          for (String piece : value.split(",")) {
            String name = stripLeadingBlanks(piece);
            if (!name.isEmpty()) settings.channels.add(name);
          }
        }
        default -> {}
      }
    }
    return settings;
  }

  /**
   * The extension of the audio files the run makes, as the program decides it: none for "text",
   * ".wav" for "wav", ".mp3" for every other format (letter case ignored).
   */
  String audioExtension() {
    String lower = format.toLowerCase(Locale.ROOT);
    if (lower.equals("text")) return "";
    if (lower.equals("wav")) return ".wav";
    return ".mp3";
  }

  /** Every pair of adjacent backslashes becomes one; a single backslash stays. */
  static String undoubleBackslashes(String text) {
    StringBuilder out = new StringBuilder();
    for (int i = 0; i < text.length(); ++i) {
      char c = text.charAt(i);
      out.append(c);
      if (c == '\\' && i + 1 < text.length() && text.charAt(i + 1) == '\\') ++i;
    }
    return out.toString();
  }

  static String stripLeadingBlanks(String text) {
    int start = 0;
    while (start < text.length() && text.charAt(start) == ' ') ++start;
    return text.substring(start);
  }
}
