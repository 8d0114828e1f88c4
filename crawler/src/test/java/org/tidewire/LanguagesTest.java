// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertTrue;

import org.junit.Test;

public class LanguagesTest {
  // Declarations, clean and hostile: a tag in its usual case, or nothing.
  @Test
  public void tags() {
    assertEquals("pt-BR", Languages.clean(" pt_br "));
    assertEquals("zh-Hant-TW", Languages.clean("zh-Hant-tw"));
    for (String hostile : new String[] {"x", "../../", "a".repeat(1 << 20), "en\n-us", "e1",
        "fr;DROP", "de-DE-1-2-3-4", ""}) {
      assertEquals(hostile.length() > 20 ? "long" : hostile, "", Languages.clean(hostile));
    }
    assertEquals("de", Languages.first("x", null, "DE"));
  }

  // NewsXML.xml names each article's language: its page's html lang, else the answer's
  // Content-Language, else its feed's (also for an item whose page is gone); a page's hostile
  // declarations are passed over.
  @Test
  public void newsIndexNamesEachArticlesLanguage() throws Exception {
    try (TestSite site = new TestSite(); TestFiles program = new TestFiles()) {
      String html = "text/html; charset=utf-8";
      site.page("/feed.xml", "application/rss+xml", "<rss><channel><title>F</title>"
              + "<language>es-es</language>"
              + "<item><title>Lang</title><link>/lang.html</link></item>"
              + "<item><title>Header</title><link>/header.html</link></item>"
              + "<item><title>Gone</title><link>/gone.html</link><description>Texto del "
              + "resumen.</description></item>"
              + "<item><title>Hostile</title><link>/hostile.html</link></item>"
              + "</channel></rss>")
          .page("/lang.html", html, "<html lang=\"fr-ca\"><body><article><p>Le texte de "
              + "l'article est ici.</p></article></body></html>")
          .on("/header.html", exchange -> {
            exchange.getResponseHeaders().set("Content-Language", "de, en");
            TestSite.send(exchange, 200, html, TestSite.utf8(
                TestSite.article("Header", "Der Text des Artikels steht hier.")));
          })
          .on("/hostile.html", exchange -> {
            exchange.getResponseHeaders().set("Content-Language", "../../");
            TestSite.send(exchange, 200, html, TestSite.utf8("<html lang=\"x\"><body><article>"
                + "<p>Text of the article is here.</p></article></body></html>"));
          });
      program.write("Channels.txt", TestFiles.channel("News", site.base + "/feed.xml", "3", "0",
          "22", ""));
      program.configuration(program.root.resolve("work").toString(), "News", "text");
      WebCrawler.run(new String[] {program.root.toString()}, Limits.standard());
      String index = program.read("work/Top/NewsXML.xml");
      String[] articles = index.split("<article>");
      assertEquals(index, 5, articles.length);
      assertTrue(articles[1], articles[1].contains("<language>fr-CA</language>"));
      assertTrue(articles[2], articles[2].contains("<language>de</language>"));
      assertTrue(articles[3], articles[3].contains("<language>es-ES</language>"));
      assertTrue(articles[4], articles[4].contains("<language>es-ES</language>"));
    }
  }
}
