// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

/**
 * One channel of Channels.txt: 24 fields joined by "||" on a line of its own (lines end with CR
 * LF; a line beginning with "#" is switched off). The file is read as bytes; texts are UTF-8.
 */
final class ChannelSettings {
  String name = "";
  String url = "";
  String webSiteUrls = "";
  int crawlDepth;
  int numberOfCharacters;
  int categoriesToDownload;
  int linesToSkip;
  String linkFilter = "";
  int linksInLeafNode;
  String extraLinkFilter = "";
  int linksForExtraFiltering;
  String negativeLinkFilter = "";
  boolean useParagraphTag;
  boolean paragraphEndExists;
  boolean useSpanTag;
  boolean useRemarkString;
  String startRemarkString = "";
  String endRemarkString = "";
  String userName = "";
  String password = ""; // plain
  String loginUrl = "";
  String rssFilter = "";
  String negativeLinkTextFilter = "";

  private static final byte[] SCRAMBLE_KEY = "MarlTossaVentric".getBytes(StandardCharsets.US_ASCII);
  private static final String ESCAPE_MARKER = "Ma";

  /** Whether the channel logs in first: a login URL that is not empty and not led by a blank. */
  boolean hasLogin() {
    return !loginUrl.isEmpty() && loginUrl.charAt(0) != ' ';
  }

  /** The channels of the file's text (read as ISO-8859-1, one char per byte), in file order. */
  static List<ChannelSettings> parseFile(String bytesAsText) {
    List<ChannelSettings> channels = new ArrayList<>();
    for (String line : bytesAsText.split("\r\n")) {
      if (line.isEmpty() || line.startsWith("#") || !line.contains("||")) continue;
      channels.add(parseLine(line));
    }
    return channels;
  }

  static List<ChannelSettings> read(Path file) throws IOException {
    return parseFile(new String(Files.readAllBytes(file), StandardCharsets.ISO_8859_1));
  }

  /** The first channel of that name (exact), or null. */
  static ChannelSettings find(List<ChannelSettings> channels, String name) {
    for (ChannelSettings channel : channels) {
      if (channel.name.equals(name)) return channel;
    }
    return null;
  }

  /** One line; fields after the first missing separator stay empty or 0. */
  static ChannelSettings parseLine(String line) {
    List<String> fields = new ArrayList<>();
    int start = 0;
    while (fields.size() < 24) {
      int separator = line.indexOf("||", start);
      if (separator < 0) {
        fields.add(line.substring(start));
        break;
      }
      fields.add(line.substring(start, separator));
      start = separator + 2;
    }
    while (fields.size() < 24) fields.add("");
    ChannelSettings c = new ChannelSettings();
    c.name = text(fields.get(0));
    c.url = text(fields.get(1));
    c.webSiteUrls = text(fields.get(2));
    c.crawlDepth = leadingInt(fields.get(3));
    c.numberOfCharacters = leadingInt(fields.get(5));
    c.categoriesToDownload = leadingInt(fields.get(6));
    c.linesToSkip = leadingInt(fields.get(7));
    c.linkFilter = text(fields.get(8));
    c.linksInLeafNode = leadingInt(fields.get(9));
    c.extraLinkFilter = text(fields.get(10));
    c.linksForExtraFiltering = leadingInt(fields.get(11));
    c.negativeLinkFilter = text(fields.get(12));
    c.useParagraphTag = fields.get(13).equalsIgnoreCase("true");
    c.paragraphEndExists = fields.get(14).equalsIgnoreCase("true");
    c.useSpanTag = fields.get(15).equalsIgnoreCase("true");
    c.useRemarkString = fields.get(16).equalsIgnoreCase("true");
    c.startRemarkString = text(fields.get(17));
    c.endRemarkString = text(fields.get(18));
    c.userName = text(fields.get(19));
    c.password = text(scramble(decodePasswordField(bytes(fields.get(20)))));
    c.loginUrl = text(fields.get(21));
    c.rssFilter = text(fields.get(22));
    c.negativeLinkTextFilter = text(fields.get(23));
    return c;
  }

  /** Byte i exclusive-ored with byte i mod 16 of the key: scrambles and unscrambles. */
  static byte[] scramble(byte[] data) {
    byte[] out = new byte[data.length];
    for (int i = 0; i < data.length; ++i) out[i] = (byte) (data[i] ^ SCRAMBLE_KEY[i % 16]);
    return out;
  }

  /**
   * The scrambled bytes of a stored password field: the field itself, or, when it is "Ma"
   * followed by an even number of lower-case hexadecimal digits, the bytes they give.
   */
  static byte[] decodePasswordField(byte[] field) {
    String text = new String(field, StandardCharsets.ISO_8859_1);
    int digits = text.length() - ESCAPE_MARKER.length();
    if (!text.startsWith(ESCAPE_MARKER) || digits % 2 != 0) return field;
    byte[] out = new byte[digits / 2];
    for (int i = 0; i < out.length; ++i) {
      int high = hexValue(text.charAt(2 + 2 * i));
      int low = hexValue(text.charAt(3 + 2 * i));
      if (high < 0 || low < 0) return field;
      out[i] = (byte) (high * 16 + low);
    }
    return out;
  }

  private static int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  }

  /** Like the C library's atoi: leading white space, a sign, digits; 0 without digits. */
  static int leadingInt(String text) {
    int i = 0;
    while (i < text.length() && Character.isWhitespace(text.charAt(i))) ++i;
    boolean negative = false;
    if (i < text.length() && (text.charAt(i) == '+' || text.charAt(i) == '-')) {
      negative = text.charAt(i) == '-';
      ++i;
    }
    long value = 0;
    while (i < text.length() && text.charAt(i) >= '0' && text.charAt(i) <= '9' && value < Integer.MAX_VALUE) {
      value = value * 10 + (text.charAt(i++) - '0');
    }
    value = Math.min(value, Integer.MAX_VALUE);
    return (int) (negative ? -value : value);
  }

  private static byte[] bytes(String field) {
    return field.getBytes(StandardCharsets.ISO_8859_1);
  }

  private static String text(String field) {
    return text(bytes(field));
  }

  private static String text(byte[] data) {
    return new String(data, StandardCharsets.UTF_8);
  }
}
