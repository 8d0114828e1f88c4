// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertNull;
import static org.junit.Assert.assertTrue;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.HexFormat;
import java.util.List;
import org.junit.Test;

public class SettingsTest {
  // Both forms of the folder lines, keys in any case, the channel list's blanks and empty
  // pieces, and reading that ends at the first empty line as the program's does.
  @Test
  public void configurationIsReadLikeTheProgramReadsIt() {
    CrawlerSettings doubled = CrawlerSettings.parse(
        "workingfolder=C:\\\\News\\\\\r\nChannels=,World,, Sports ,\r\nFORMAT=MP3\r\n");
    assertEquals("C:\\News\\", doubled.workingFolder);
    assertEquals(List.of("World", "Sports "), doubled.channels);
    assertEquals(".mp3", doubled.audioExtension());
    CrawlerSettings stopped =
        CrawlerSettings.parse("WorkingFolder=/w\nFormat=wav\n\nChannels=Late\nFormat=text\n");
    assertEquals("/w", stopped.workingFolder);
    assertTrue(stopped.channels.isEmpty());
    assertEquals(".wav", stopped.audioExtension());
    assertEquals("", CrawlerSettings.parse("Format=Text\r\n").audioExtension());
    assertEquals("\\\\server\\share", CrawlerSettings.undoubleBackslashes("\\\\\\\\server\\share"));
  }

  // Switched-off lines and lines without "||" are no channels; numbers read like atoi; a short
  // line keeps its missing fields empty; the first line of a name wins.
  @Test
  public void channelLines() {
    String text = "#World||off\r\n" + TestFiles.channel("World", "feeds/w.xml", "3", " 7x", "6", "2",
        "13", "TRUE", "19", "reader", "21", "http://login") + "comment\r\n\r\nShort||u\r\n"
        + TestFiles.channel("World", "second");
    List<ChannelSettings> channels = ChannelSettings.parseFile(text);
    assertEquals(3, channels.size());
    ChannelSettings world = ChannelSettings.find(channels, "World");
    assertEquals("feeds/w.xml", world.url);
    assertEquals(7, world.crawlDepth);
    assertEquals(2, world.categoriesToDownload);
    assertEquals(10000, world.numberOfCharacters);
    assertTrue(world.useParagraphTag);
    assertFalse(world.useSpanTag);
    assertEquals("reader", world.userName);
    assertTrue(world.hasLogin());
    assertEquals("m#\\.(?:xml|rdf)$#i", world.rssFilter);
    ChannelSettings shortLine = ChannelSettings.find(channels, "Short");
    assertEquals("u", shortLine.url);
    assertEquals("", shortLine.rssFilter);
    assertNull(ChannelSettings.find(channels, "world"));
    assertEquals(Integer.MAX_VALUE, ChannelSettings.leadingInt("99999999999"));
    assertEquals(-12, ChannelSettings.leadingInt("  -12abc"));
  }

  // The program's own stored password fields (shared with its tests) read back to the plain
  // passwords, escaped or not.
  @Test
  public void passwordFieldsOfTheProgram() throws Exception {
    Path vectors = Path.of(System.getProperty("brevora.source"), "tests/data/password_fields.txt");
    int count = 0;
    for (String line : Files.readAllLines(vectors, StandardCharsets.UTF_8)) {
      if (line.isEmpty() || line.startsWith("#")) continue;
      String[] parts = line.split("\t", -1);
      byte[] plain = HexFormat.of().parseHex(parts[0]);
      byte[] field = HexFormat.of().parseHex(parts[1]);
      String lineText = "N||u||||3||||1||1||0||||0||||0||||false||false||false||false||||||user||"
          + new String(field, StandardCharsets.ISO_8859_1) + "||L||R||T";
      ChannelSettings read = ChannelSettings.parseLine(lineText);
      assertArrayEquals(line, plain, read.password.getBytes(StandardCharsets.UTF_8));
      assertEquals("L", read.loginUrl);
      ++count;
    }
    assertTrue(count >= 10);
  }
}
