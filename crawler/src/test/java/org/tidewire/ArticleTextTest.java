// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import static org.junit.Assert.assertEquals;

import org.junit.Test;

/** The story of a page, as the listener hears it: one test per rule of finding it. */
public class ArticleTextTest {
  // A short story of three paragraphs, a little over 500 characters: shorter ones are read again
  // with fewer rules, as a page whose story was not found.
  private static final String FIRST = "The river rose by two metres overnight, and the valley roads"
      + " were closed before dawn. Police turned back drivers at both bridges, and the morning"
      + " buses did not run.";
  private static final String SECOND = "Farmers moved their animals to higher fields, while the"
      + " council opened the school hall for families. By noon, forty people had spent the night"
      + " there or were on their way.";
  private static final String THIRD = "The weather service expects the rain to ease by Thursday,"
      + " but warns that the ground will stay wet. Repairs to the east road may take a month,"
      + " the council said, and the ferry will carry cars across the lake until then.";

  private static ChannelSettings rules() {
    return ChannelSettings.parseLine(TestFiles.channel("C", "u", "5", "0").trim());
  }

  private static String text(String page) {
    return TextRules.articleText(page, "http://news.example/story.html", rules());
  }

  private static String page(String body) {
    return "<html><head><title>Rain in the valley - Daily News</title></head><body>" + body
        + "</body></html>";
  }

  private static final String MENU = "<div class=\"menu\"><ul><li><a href=\"/\">Home</a></li>"
      + "<li><a href=\"/world\">World news from every continent</a></li>"
      + "<li><a href=\"/sport\">Sport, results and tables</a></li></ul></div>";

  // The story's blocks, one line each; its heading that repeats the title, the site's header,
  // navigation, side bar and footer are not read. The channel's options choose within the story.
  @Test
  public void storyAndChannelOptions() {
    String story = page("<header class=\"site-header\"><p>Daily News: your town, every day of the"
        + " week</p></header><nav><p>Home | World | Sport | Weather | Opinion | Video</p></nav>"
        + "<div id=\"main\"><article><h1>Rain in the valley</h1><p>" + FIRST + "</p><div><p>"
        + SECOND.replace("higher", "<b>higher</b>") + "</p></div><h2>What comes next</h2><p>"
        + THIRD + "<br>Updated at noon.</p><span>Photo: the bridge at Elm Ford.</span></article>"
        + "<aside class=\"sidebar\"><p>Most read: ten things you will not believe about the"
        + " weather, and more.</p></aside></div><footer><p>Legal notice of the site and its"
        + " owners, all rights reserved.</p></footer>");
    assertEquals(FIRST + "\n" + SECOND + "\nWhat comes next\n" + THIRD + "\nUpdated at noon.\n"
        + "Photo: the bridge at Elm Ford.", text(story));
    ChannelSettings paragraphs = rules();
    paragraphs.useParagraphTag = true;
    paragraphs.paragraphEndExists = true;
    assertEquals(FIRST + "\n" + SECOND + "\n" + THIRD + "\nUpdated at noon.",
        TextRules.articleText(story, "", paragraphs));
    paragraphs.useSpanTag = true;
    assertEquals(FIRST + "\n" + SECOND + "\n" + THIRD + "\nUpdated at noon.\n"
        + "Photo: the bridge at Elm Ford.", TextRules.articleText(story, "", paragraphs));
    paragraphs.useSpanTag = false;
    paragraphs.paragraphEndExists = false;
    assertEquals("One then loose text.\nTwo.", TextRules.articleText(
        "<p>One</p> then <i>loose</i> text.<p>Two.", "", paragraphs));
    ChannelSettings marked = rules();
    marked.useRemarkString = true;
    marked.startRemarkString = "<!--start-->";
    marked.endRemarkString = "<!--end-->";
    assertEquals("Marked one.\nMarked two.", TextRules.articleText(
        "<p>Before.</p><!--start--><p>Marked one.</p><p>Marked two.</p><!--end--><p>After.</p>",
        "", marked));
  }

  // A story written as text between line breaks in a div has paragraphs all the same.
  @Test
  public void divAndBreakStory() {
    assertEquals(FIRST + "\n" + SECOND + "\n" + THIRD, text(page(MENU + "<div class=\"post\">"
        + FIRST + "<br><br>" + SECOND + "<br> <br><br>" + THIRD + "</div>")));
    assertEquals(FIRST + "\n" + SECOND + "\n" + THIRD, text(page(MENU
        + "<div><font size=\"2\">" + FIRST + "</font><br><br><span>" + SECOND + "</span><br><br>"
        + THIRD + "</div>")));
  }

  // A teaser article before the story, or a box asking for a message: the story wins.
  @Test
  public void teaserArticleBeforeTheStory() {
    assertEquals(FIRST + "\n" + SECOND + "\n" + THIRD, text(page("<article class=\"teaser\">"
        + "<p>Anticipo: tomorrow's paper.</p></article><article class=\"contact\"><p>Send a"
        + " message now</p><form><input name=\"m\"></form></article><article><p>" + FIRST
        + "</p><p>" + SECOND + "</p><p>" + THIRD + "</p></article>")));
  }

  // Without an article element: the story among menus, related links, comments and a footer.
  @Test
  public void noArticleElementHeavyFurniture() {
    String related = "<div class=\"related\"><h3>Related</h3><ul><li><a href=\"/a\">Storm"
        + " warnings for the coast, and what they mean</a></li><li><a href=\"/b\">How to keep"
        + " your cellar dry, in five steps</a></li></ul></div>";
    String comments = "<div id=\"comments\"><div class=\"comment\"><p>Great article, thanks, I"
        + " live there and it was worse than this.</p></div><div class=\"comment\"><p>Who pays"
        + " for the repairs, I would like to know, really.</p></div></div>";
    assertEquals(FIRST + "\n" + SECOND + "\n" + THIRD, text(page(MENU + "<div id=\"content\"><p>"
        + FIRST + "</p><p>" + SECOND + "</p><p>" + THIRD + "</p></div>" + related + comments
        + "<div id=\"footer\"><p>Copyright Daily News, all rights reserved, since 1901.</p></div>")));
  }

  // A short story beside a longer block of links, nothing marking either: the prose is the story.
  @Test
  public void shortProseBesideLongerLinks() {
    StringBuilder links = new StringBuilder("<div><ul>");
    for (int i = 0; i < 12; ++i) {
      links.append("<li><a href=\"/story/").append(i).append("\">Storm warnings for the coast")
          .append(" and what they mean for the week in part ").append(i).append("</a></li>");
    }
    links.append("</ul></div>");
    assertEquals(FIRST, text(page("<div><div><p>" + FIRST + "</p></div>" + links + "</div>")));
    assertEquals(FIRST, text(page("<div>" + links + "<div><p>" + FIRST + "</p></div></div>")));
  }

  // A short story is read again with fewer rules, yet never taken from readers' comments, a
  // side bar's profile or what a heading opens after the story; labels, credits and embedded
  // posts inside it are not read, and a block of it with many links stays.
  @Test
  public void shortStoryAmongWhatFollowsIt() {
    String bio = "<p>" + "Jo writes about rivers, bridges and the people who cross them, and has"
        + " done so for twenty years, in three countries. ".repeat(8) + "</p>";
    String comment = "<p>" + "I drove past the bridge on Monday, and the water was already up to"
        + " the second arch, so this is no surprise to anyone here. ".repeat(8) + "</p>";
    String linked = "The <a href=\"/a\">ferry</a> will carry cars across the <a href=\"/b\">lake"
        + "</a> until then, the <a href=\"/c\">council</a> said.";
    String page = page("<div class=\"post\"><div class=\"wrap\"><p>" + FIRST + "</p><p>"
        + "Advertisement</p><p>(AP Photo/Jo Doe)</p><blockquote class=\"twitter-tweet\"><p>What a"
        + " flood, everyone stay safe and dry tonight! &mdash; Someone (@someone)</p></blockquote>"
        + "<p>" + linked + "</p></div><h3>Related stories</h3><ul><li><a href=\"/x\">Another river"
        + " story from last year</a></li></ul><h2 id=\"comments\">2 Comments</h2><div id=\"c1\">"
        + comment + "</div><div id=\"c2\">" + comment + "</div></div><div class=\"sidebar\">"
        + "<div class=\"profile\">" + bio + "</div></div>");
    assertEquals(FIRST + "\nThe ferry will carry cars across the lake until then, the council said.",
        text(page));
  }

  // A page that draws its story with scripts: the article body of its JSON-LD metadata.
  @Test
  public void metadataBody() {
    assertEquals(FIRST + " " + SECOND, text("<html><head><title>Rain</title><script"
        + " type=\"application/ld+json\">{\"@type\": \"NewsArticle\", \"headline\": \"Rain\","
        + " \"articleBody\": \"" + FIRST + "\\n" + SECOND.replace(",", "\\u002c") + "\"}</script>"
        + "</head><body><div id=\"app\"></div></body></html>"));
    // Its escapes, entities and markup are read as text, never spoken as they stand.
    assertEquals("Tom & Jerry met at noon. Then they left.", text("<html><head><script type="
        + "\"application/ld+json\">{\"articleBody\": \"Tom &amp; Jerry met at noon.\\u0000 <script>"
        + "steal()<\\/script>Then they left.\"}</script></head><body></body></html>"));
  }

  // What a reader does not see is never spoken; a line break starts a new line.
  @Test
  public void hiddenContentAndLineBreaks() {
    String story = "<article><p>Seen<br>on two lines.</p><p hidden>Hidden.</p>"
        + "<p aria-hidden=\"TRUE\">Aria.</p><p aria-hidden=\"false\">Shown.</p>"
        + "<div style=\"color:red; display: none\"><p>None.</p></div>"
        + "<p style=\"visibility:hidden\">Invisible.</p><object><p>Object.</p></object>"
        + "<textarea>Area.</textarea><template><p>Template.</p></template>"
        + "<noscript><p>Script.</p></noscript><p style=\"display:block\">Block.</p></article>";
    assertEquals("Seen\non two lines.\nShown.\nBlock.", text(story));
    // The page's style sheets hide by class, id and name; at-rules, rules shown elsewhere and
    // commented declarations do not; a closed "details" shows only its summary.
    String sheet = "<style>/* .story p { display:none } */ .sr-only{position:absolute;width:1px;"
        + "height:1px;overflow:hidden;clip:rect(0,0,0,0)} .hidden, #gone {display :\tnone}"
        + " span.faded{opacity:0} .tiny{font-size:0} .away{position:absolute;left:-9999px}"
        + " @media print{.print{display:none}} .wide{display:none} @media (min-width:600px)"
        + "{.wide{display:block}} .off{visibility:hidden}/* .seen{display:none} */</style>";
    String styled = "<article><p>" + FIRST + "<span class=\"sr-only\">Screen reader.</span></p>"
        + "<p class=\"hidden\">Hidden class.</p><p id=\"gone\">Gone id.</p><p>" + SECOND
        + "<span class=\"x faded\">Faded.</span><span class=tiny>Tiny.</span></p>"
        + "<p class=away>Away.</p><p class=print>Print.</p><p class=wide>Wide.</p>"
        + "<p class=off>Off.</p><p class=seen style=\"/* display:none */ color:red\">Seen.</p>"
        + "<details><summary>Summary.</summary><p>Closed.</p>Loose.</details>"
        + "<details open><summary>Open.</summary><p>Opened.</p></details>"
        + "<p style=\"display:\tnone\">Tab.</p></article>";
    assertEquals(FIRST + "\n" + SECOND + "\nPrint.\nWide.\nSeen.\nSummary.\nOpen.\nOpened.",
        text("<html><head>" + sheet + "</head><body>" + styled + "</body></html>"));
  }

  // The charset a page says it is in holds against a few stray bytes; one that would turn the
  // page into no markup loses to the bytes; the bytes' own charset is found however far into
  // the page its text begins.
  @Test
  public void pageCharsets() throws Exception {
    byte[] stray = concat(("<html><head><meta charset=utf-8></head><body><p>" + FIRST
        + " Caf\u00e9 cr\u00e8me.").getBytes("UTF-8"), new byte[] {(byte) 0xFF},
        "</p></body></html>".getBytes("UTF-8"));
    assertEquals(FIRST + " Caf\u00e9 cr\u00e8me.", pageText(stray, null));
    for (String end : new String[] {"", " "}) { // either length, as UTF-16 takes pairs of bytes
      assertEquals(FIRST, pageText(("<html><head><meta charset=\"utf-16\"></head><body><p>"
          + FIRST + "</p></body></html>" + end).getBytes("US-ASCII"), "UTF-16"));
    }
    String russian = "\u041d\u043e\u0432\u043e\u0441\u0442\u0438 \u0434\u043d\u044f: "
        + "\u043f\u0440\u0430\u0432\u0438\u0442\u0435\u043b\u044c\u0441\u0442\u0432\u043e "
        + "\u043e\u0431\u044a\u044f\u0432\u0438\u043b\u043e \u043e \u043d\u043e\u0432\u044b\u0445"
        + " \u043c\u0435\u0440\u0430\u0445, \u043a\u0430\u043a \u0432\u0441\u0435\u0433\u0434\u0430.";
    byte[] late = concat(("<html><body><!-- " + "x".repeat(1_200_000) + " --><p>").getBytes(
        "US-ASCII"), (russian + " " + russian + " " + russian).getBytes("KOI8-R"),
        "</p></body></html>".getBytes("US-ASCII"));
    assertEquals(russian + " " + russian + " " + russian, pageText(late, null));
  }

  private static String pageText(byte[] page, String headerCharset) {
    return ChannelCrawler.pageText(page, headerCharset, "http://news.example/", rules());
  }

  private static byte[] concat(byte[]... parts) {
    java.io.ByteArrayOutputStream out = new java.io.ByteArrayOutputStream();
    for (byte[] part : parts) out.writeBytes(part);
    return out.toByteArray();
  }
}
