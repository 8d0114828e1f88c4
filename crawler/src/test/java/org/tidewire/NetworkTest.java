package org.tidewire;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertTrue;

import com.sun.net.httpserver.HttpExchange;
import com.sun.net.httpserver.HttpServer;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.net.InetSocketAddress;
import java.nio.charset.StandardCharsets;
import java.time.Duration;
import java.util.List;
import java.util.concurrent.CopyOnWriteArrayList;
import java.util.concurrent.Executors;
import java.util.zip.GZIPOutputStream;
import org.junit.Test;

public class NetworkTest {
  private final List<String> requests = new CopyOnWriteArrayList<>();
  private final List<String> agents = new CopyOnWriteArrayList<>();

  private static String page(String title, String body) {
    return "<html><head><title>" + title + "</title></head><body><nav><a href=\"/\">Home</a></nav>"
        + "<article><h1>" + title + "</h1><p>" + body + "</p></article></body></html>";
  }

  private static void send(HttpExchange exchange, int status, String type, byte[] body)
      throws IOException {
    if (type != null) exchange.getResponseHeaders().set("Content-Type", type);
    exchange.sendResponseHeaders(status, body.length == 0 ? -1 : body.length);
    try (OutputStream out = exchange.getResponseBody()) {
      out.write(body);
    }
  }

  private static byte[] utf8(String text) {
    return text.getBytes(StandardCharsets.UTF_8);
  }

  private HttpServer site() throws IOException {
    HttpServer server = HttpServer.create(new InetSocketAddress("127.0.0.1", 0), 0);
    server.setExecutor(Executors.newCachedThreadPool());
    server.createContext("/", exchange -> {
      String path = exchange.getRequestURI().getPath();
      requests.add(exchange.getRequestMethod() + " " + path);
      agents.add(exchange.getRequestHeaders().getFirst("User-Agent"));
      String cookie = String.valueOf(exchange.getRequestHeaders().getFirst("Cookie"));
      String html = "text/html; charset=utf-8";
      switch (path) {
        case "/robots.txt" -> send(exchange, 200, "text/plain",
            utf8("User-agent: Other\nDisallow: /\n\nUser-agent: *\nDisallow: /private/\n"));
        case "/index.html" -> send(exchange, 200, html, utf8("<html><body>"
            + "<a href=\"/moved\">Moved</a> <a href=\"/articles/gzip.html\">Zipped</a> "
            + "<a href=\"/articles/latin.html\">Latin</a> <a href=\"/articles/slow.html\">Slow</a> "
            + "<a href=\"/private/secret.html\">Secret</a> <a href=\"/articles/missing.html\">Gone</a> "
            + "<a href=\"/articles/ad.html\">Advertisement</a> <a href=\"http://elsewhere.invalid/x.html\">Away</a>"
            + "<a href=\"/feed.xml\">Members</a></body></html>"));
        case "/moved" -> {
          exchange.getResponseHeaders().set("Location", "/articles/one.html");
          send(exchange, 302, null, new byte[0]);
        }
        case "/articles/one.html" -> send(exchange, 200, html, utf8(page("One", "Redirected text.")));
        case "/articles/gzip.html" -> {
          ByteArrayOutputStream zipped = new ByteArrayOutputStream();
          try (GZIPOutputStream gzip = new GZIPOutputStream(zipped)) {
            gzip.write(utf8(page("Zipped", "Compressed text.")));
          }
          exchange.getResponseHeaders().set("Content-Encoding", "gzip");
          send(exchange, 200, html, zipped.toByteArray());
        }
        case "/articles/latin.html" -> send(exchange, 200, "text/html; charset=ISO-8859-1",
            page("Latin", "Caf\u00e9 cr\u00e8me.").getBytes(StandardCharsets.ISO_8859_1));
        case "/articles/slow.html" -> {
          try {
            Thread.sleep(2000);
            send(exchange, 200, html, utf8(page("Slow", "Too late.")));
          } catch (InterruptedException | IOException e) {
            exchange.close();
          }
        }
        case "/feed.xml" -> send(exchange, 200, "application/rss+xml", utf8("<rss><channel>"
            + "<title>Members</title><item><title>Member news</title><link>/articles/member.html"
            + "</link><description>Only a teaser.</description></item></channel></rss>"));
        case "/login" -> {
          String form = new String(exchange.getRequestBody().readAllBytes(), StandardCharsets.UTF_8);
          if (form.equals("username=reader&password=p%C3%A4ss%26word")) {
            exchange.getResponseHeaders().add("Set-Cookie", "session=ok; Path=/");
          }
          send(exchange, 200, html, utf8("<html><body>Welcome</body></html>"));
        }
        case "/articles/member.html" -> {
          if (cookie.contains("session=ok")) {
            send(exchange, 200, html, utf8(page("Member news", "Text for members.")));
          } else {
            send(exchange, 403, html, utf8("forbidden"));
          }
        }
        default -> send(exchange, 404, html, utf8("not here"));
      }
    });
    server.start();
    return server;
  }

  // A crawled site: a redirect, a compressed page, a page in ISO-8859-1, a page too slow for the
  // time limit, robots.txt, a login whose cookie opens a members' page read through a linked
  // feed, a missing page and a negative text filter. Failures are logged and the channel's other
  // articles are still written.
  @Test
  public void crawledSite() throws Exception {
    HttpServer server = site();
    try (TestFiles program = new TestFiles()) {
      String base = "http://127.0.0.1:" + server.getAddress().getPort();
      program.write("Channels.txt", TestFiles.channel("Site", base + "/index.html", "3", "1",
          "19", "reader", "20", "Ma" + java.util.HexFormat.of().formatHex(ChannelSettings.scramble(
              "p\u00e4ss&word".getBytes(StandardCharsets.UTF_8))),
          "21", base + "/login", "23", "m#^advert#i"));
      program.configuration(program.root.resolve("work").toString(), "Site", "mp3");
      Fetcher.Limits limits = new Fetcher.Limits(Duration.ofSeconds(2), Duration.ofMillis(500),
          1 << 20, 5);
      assertEquals(0, WebCrawler.run(new String[] {program.root.toString()}, limits, 50));

      String top = "work/Top/Site/";
      assertTrue(program.read(top + "Site/01 One.txt").contains("Redirected text."));
      assertTrue(program.read(top + "Site/02 Zipped.txt").contains("Compressed text."));
      assertTrue(program.read(top + "Site/03 Latin.txt").contains("Caf\u00e9 cr\u00e8me."));
      assertTrue(program.read(top + "Members/01 Member news.txt").contains("Text for members."));
      assertFalse(program.exists(top + "Site/04 Slow.txt"));
      assertFalse(requests.contains("GET /private/secret.html"));
      assertFalse(requests.contains("GET /articles/ad.html"));
      assertEquals(1, requests.stream().filter(r -> r.equals("GET /robots.txt")).count());
      assertTrue(requests.indexOf("POST /login") < requests.indexOf("GET /index.html"));
      assertTrue(agents.stream().allMatch(a -> a.startsWith("Brevora/")));

      String log = program.read("Brevora.log");
      assertEquals(log, 2, log.split("\r\r\n").length);
      assertTrue(log, log.contains("ERROR - Channel Site: " + base + "/articles/slow.html: no answer"));
      assertTrue(log, log.contains("ERROR - Channel Site: " + base
          + "/articles/missing.html: HTTP status 404"));
    } finally {
      server.stop(0);
    }
  }
}
