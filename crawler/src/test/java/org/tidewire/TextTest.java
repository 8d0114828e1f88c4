// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertTrue;
import static org.junit.Assert.fail;

import org.junit.Test;

public class TextTest {
  private static ChannelSettings rules() {
    return ChannelSettings.parseLine(TestFiles.channel("C", "u").trim());
  }

  // The editor's notation, a bare pattern, flags, and patterns that do not compile: reported
  // with the filter's name instead of failing silently.
  @Test
  public void filterNotation() {
    LinkFilter rss = LinkFilter.parse("RSS Filter", "m#\\.(?:xml|rdf)$#i");
    assertTrue(rss.matches("http://a/b.XML"));
    assertFalse(rss.matches("http://a/b.xml.html"));
    assertTrue(LinkFilter.parse("Link Filter", "/news/").matches("http://a/news/1"));
    assertFalse(LinkFilter.parse("Link Filter", "m#News#").matches("http://a/news/1"));
    assertFalse(LinkFilter.parse("Link Filter", "").isSet());
    // A "#" inside the pattern: the last "#" ends it.
    LinkFilter anchor = LinkFilter.parse("Link Filter", "m#/page#top$#i");
    assertTrue(anchor.matches("http://a/PAGE#top"));
    assertFalse(anchor.matches("http://a/page"));
    for (String bad : new String[] {"m#(unclosed#i", "m#a#q", "m#"}) {
      try {
        LinkFilter.parse("Negative Link Filter", bad);
        fail(bad);
      } catch (IllegalArgumentException e) {
        assertTrue(e.getMessage(), e.getMessage().startsWith("Negative Link Filter \"" + bad));
      }
    }
  }

  // Lines skipped first, then the cut at the last sentence end within the limit, or a word's.
  @Test
  public void skipAndCut() {
    assertEquals("c\nd", TextRules.skipLines("a\nb\nc\nd", 2));
    assertEquals("", TextRules.skipLines("a\nb", 5));
    assertEquals("One. Two!", TextRules.cut("One. Two! Three four five.", 14));
    assertEquals("Version 1.5 is", TextRules.cut("Version 1.5 is out now", 15));
    assertEquals("Short.", TextRules.cut("Short.", 0));
    // A sentence ends after its closing quote; without one in the limit, at a whole word; a
    // word longer than the limit is not cut, but ideographic text is.
    assertEquals("He said \"Go.\"", TextRules.cut("He said \"Go.\" Then he went home.", 20));
    assertEquals("Wait for it", TextRules.cut("Wait for it, everyone", 11));
    assertEquals("Wait for", TextRules.cut("Wait for it, everyone", 8));
    assertEquals("", TextRules.cut("Supercalifragilistic", 10));
    assertEquals("\u4eca\u65e5\u306f\u6674\u308c\u3002",
        TextRules.cut("\u4eca\u65e5\u306f\u6674\u308c\u3002\u660e\u65e5\u306f\u96e8", 8));
    assertEquals("\u4eca\u65e5\u5929\u6c14", TextRules.cut("\u4eca\u65e5\u5929\u6c14\u5f88\u597d", 4));
  }

  // Names every file system takes.
  @Test
  public void safeNames() {
    assertEquals("a_b_c_ d", OutputWriter.safeName("a/b\\c: d"));
    assertEquals("Untitled", OutputWriter.safeName(" ..\u0001 "));
    assertEquals("hidden", OutputWriter.safeName(".hidden."));
    assertEquals("_CON.txt", OutputWriter.safeName("CON.txt"));
    assertEquals("tab and new line", OutputWriter.safeName("tab\tand\nnew line"));
    String longName = OutputWriter.safeName("é".repeat(200));
    assertEquals(80, longName.codePointCount(0, longName.length()));
    assertEquals("Top%20story/01%20A%26B.mp3", OutputWriter.href("Top story/01 A&B.mp3"));
    // Within 200 bytes, cut between characters; line breaks and characters XML refuses go.
    assertEquals("\ud83d\ude00".repeat(50), OutputWriter.safeName("\ud83d\ude00".repeat(80)));
    assertEquals("a b c", OutputWriter.safeName("a\u2028b\u0085\uffffc"));
    // File names of another charset: plain letters, "_" where there is none.
    assertEquals("Creme brulee _", OutputWriter.safeName("Cr\u00e8me br\u00fbl\u00e9e \u4e16",
        java.nio.charset.StandardCharsets.US_ASCII));
  }
}
