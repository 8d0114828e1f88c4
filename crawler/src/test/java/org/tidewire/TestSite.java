// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import com.sun.net.httpserver.HttpExchange;
import com.sun.net.httpserver.HttpServer;
import java.io.IOException;
import java.io.OutputStream;
import java.io.UncheckedIOException;
import java.net.InetSocketAddress;
import java.nio.charset.StandardCharsets;
import java.util.List;
import java.util.Map;
import java.util.concurrent.ConcurrentHashMap;
import java.util.concurrent.CopyOnWriteArrayList;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.TimeUnit;

/**
 * A web site on the loopback address for one test: answers by path, records every request
 * ("GET /path") and its headers, and answers 404 elsewhere. A page that hangs answers nothing
 * until the test ends (close()), so no time limit of a test depends on how busy the machine is.
 */
final class TestSite implements AutoCloseable {
  interface Handler {
    void handle(HttpExchange exchange) throws IOException;
  }

  final String base;
  final List<String> requests = new CopyOnWriteArrayList<>();
  final List<String> cookies = new CopyOnWriteArrayList<>();
  final List<String> bodies = new CopyOnWriteArrayList<>();
  final List<String> agents = new CopyOnWriteArrayList<>();
  private final HttpServer server;
  private final ExecutorService threads = Executors.newCachedThreadPool();
  private final Map<String, Handler> pages = new ConcurrentHashMap<>();
  private final CountDownLatch ended = new CountDownLatch(1);

  TestSite() {
    try {
      server = HttpServer.create(new InetSocketAddress("127.0.0.1", 0), 0);
    } catch (IOException e) {
      throw new UncheckedIOException(e);
    }
    server.setExecutor(threads);
    server.createContext("/", exchange -> {
      String path = exchange.getRequestURI().getPath();
      requests.add(exchange.getRequestMethod() + " " + path);
      cookies.add(path + " " + exchange.getRequestHeaders().getFirst("Cookie"));
      agents.add(String.valueOf(exchange.getRequestHeaders().getFirst("User-Agent")));
      bodies.add(new String(exchange.getRequestBody().readAllBytes(), StandardCharsets.UTF_8));
      Handler page = pages.get(path);
      if (page == null) send(exchange, 404, "text/html", utf8("not here"));
      else page.handle(exchange);
    });
    server.start();
    base = "http://127.0.0.1:" + server.getAddress().getPort();
  }

  TestSite on(String path, Handler handler) {
    pages.put(path, handler);
    return this;
  }

  TestSite page(String path, String type, String text) {
    return on(path, exchange -> send(exchange, 200, type, utf8(text)));
  }

  TestSite html(String path, String title, String body) {
    return page(path, "text/html; charset=utf-8", article(title, body));
  }

  TestSite redirect(String path, int status, String location) {
    return on(path, exchange -> {
      exchange.getResponseHeaders().set("Location", location);
      send(exchange, status, null, new byte[0]);
    });
  }

  /** A page that answers nothing until the test ends. */
  TestSite hang(String path) {
    return on(path, exchange -> {
      try {
        ended.await();
      } catch (InterruptedException e) {
        Thread.currentThread().interrupt();
      }
      exchange.close();
    });
  }

  /** A page that sends its head and then one blank a second, never ending, until the test ends. */
  TestSite trickle(String path) {
    return on(path, exchange -> {
      exchange.getResponseHeaders().set("Content-Type", "text/html; charset=utf-8");
      exchange.sendResponseHeaders(200, 0);
      try (OutputStream body = exchange.getResponseBody()) {
        body.write(utf8("<html><body><article><p>Still arriving"));
        do {
          body.write(' ');
          body.flush();
        } while (!ended.await(1, TimeUnit.SECONDS));
      } catch (IOException e) {
        // the reader gave up
      } catch (InterruptedException e) {
        Thread.currentThread().interrupt();
      }
    });
  }

  long count(String request) {
    return requests.stream().filter(request::equals).count();
  }

  static String article(String title, String body) {
    return "<html><head><title>" + title + "</title></head><body><nav><a href=\"/\">Home</a></nav>"
        + "<article><h1>" + title + "</h1><p>" + body + "</p></article></body></html>";
  }

  static String rss(String title, String... items) {
    StringBuilder feed = new StringBuilder("<rss><channel><title>" + title + "</title>");
    for (String item : items) feed.append("<item>").append(item).append("</item>");
    return feed.append("</channel></rss>").toString();
  }

  static void send(HttpExchange exchange, int status, String type, byte[] body) throws IOException {
    if (type != null) exchange.getResponseHeaders().set("Content-Type", type);
    exchange.sendResponseHeaders(status, body.length == 0 ? -1 : body.length);
    try (OutputStream out = exchange.getResponseBody()) {
      out.write(body);
    }
  }

  static byte[] utf8(String text) {
    return text.getBytes(StandardCharsets.UTF_8);
  }

  @Override
  public void close() {
    ended.countDown();
    server.stop(0);
    threads.shutdownNow();
  }
}
