package org.tidewire;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.CookieManager;
import java.net.CookiePolicy;
import java.net.URI;
import java.net.URLEncoder;
import java.net.http.HttpClient;
import java.net.http.HttpRequest;
import java.net.http.HttpResponse;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.Duration;
import java.util.HashMap;
import java.util.Locale;
import java.util.Map;
import java.util.StringJoiner;
import java.util.concurrent.ConcurrentHashMap;
import java.util.concurrent.ExecutionException;
import java.util.concurrent.Semaphore;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.TimeoutException;
import java.util.zip.GZIPInputStream;
import java.util.zip.InflaterInputStream;

/**
 * Fetches documents for one channel: local files and HTTP(S) addresses, with time limits, a size
 * limit, a few redirects, compressed responses, the channel's cookies, robots.txt, and at most one
 * request at a time per host across all channels.
 */
final class Fetcher {
  static final String USER_AGENT = "Brevora/" + WebCrawler.VERSION + " (news to speech)";

  /** The limits of one fetch. */
  record Limits(Duration connect, Duration read, int maxBytes, int maxRedirects) {
    static Limits standard() {
      return new Limits(Duration.ofSeconds(10), Duration.ofSeconds(30), 5 << 20, 5);
    }
  }

  /** A fetched document: where it came from after redirects, its bytes and declared charset. */
  record Response(URI uri, byte[] body, String contentType, String charset) {}

  private static final Map<String, Semaphore> HOSTS = new ConcurrentHashMap<>();
  // Bodies are read on threads of their own, so that the read time limit holds and a slow site
  // never holds up another site's reading.
  private static final java.util.concurrent.ExecutorService READERS =
      java.util.concurrent.Executors.newCachedThreadPool(task -> {
        Thread thread = new Thread(task, "brevora-reader");
        thread.setDaemon(true);
        return thread;
      });

  private final Limits limits;
  private final HttpClient client;
  private final Map<String, Robots> robots = new HashMap<>();

  Fetcher(Limits limits) {
    this.limits = limits;
    this.client =
        HttpClient.newBuilder()
            .connectTimeout(limits.connect())
            .followRedirects(HttpClient.Redirect.NEVER)
            .cookieHandler(new CookieManager(null, CookiePolicy.ACCEPT_ALL))
            .build();
  }

  Response get(URI uri) throws IOException {
    if ("file".equalsIgnoreCase(uri.getScheme())) return readFile(Path.of(uri));
    return exchange(uri, null);
  }

  /** Posts the fields as a form; the cookies set by the answer stay with this fetcher. */
  Response postForm(URI uri, Map<String, String> fields) throws IOException {
    StringJoiner body = new StringJoiner("&");
    for (Map.Entry<String, String> field : fields.entrySet()) {
      body.add(URLEncoder.encode(field.getKey(), StandardCharsets.UTF_8) + "="
          + URLEncoder.encode(field.getValue(), StandardCharsets.UTF_8));
    }
    return exchange(uri, body.toString());
  }

  /** Whether robots.txt of the address's site lets Brevora fetch it (local files always). */
  boolean allowedByRobots(URI uri) {
    if (!isHttp(uri)) return true;
    String site = uri.getScheme().toLowerCase(Locale.ROOT) + "://" + uri.getRawAuthority();
    Robots rules = robots.get(site);
    if (rules == null) {
      try {
        Response answer = exchange(URI.create(site + "/robots.txt"), null);
        rules = Robots.parse(new String(answer.body(), StandardCharsets.UTF_8), "Brevora");
      } catch (IOException e) {
        rules = Robots.ALLOW_ALL; // no robots.txt, or none readable: nothing is forbidden
      }
      robots.put(site, rules);
    }
    String path = uri.getRawPath() == null || uri.getRawPath().isEmpty() ? "/" : uri.getRawPath();
    return rules.allows(uri.getRawQuery() == null ? path : path + "?" + uri.getRawQuery());
  }

  static boolean isHttp(URI uri) {
    String scheme = uri.getScheme();
    return "http".equalsIgnoreCase(scheme) || "https".equalsIgnoreCase(scheme);
  }

  private Response readFile(Path path) throws IOException {
    if (!Files.isRegularFile(path)) throw new IOException("no such file: " + path);
    try (InputStream in = Files.newInputStream(path)) {
      return new Response(path.toUri(), readLimited(in), "", null);
    }
  }

  private Response exchange(URI uri, String form) throws IOException {
    URI current = uri;
    for (int redirects = 0; ; ++redirects) {
      Semaphore host = HOSTS.computeIfAbsent(hostKey(current), key -> new Semaphore(1, true));
      acquire(host);
      try {
        HttpResponse<InputStream> answer = send(current, form);
        int status = answer.statusCode();
        String location = answer.headers().firstValue("Location").orElse(null);
        if (status >= 300 && status < 400 && location != null) {
          answer.body().close();
          if (redirects == limits.maxRedirects()) throw new IOException("too many redirects");
          current = current.resolve(location.trim());
          if (!isHttp(current)) throw new IOException("redirect to " + current);
          if (status != 307 && status != 308) form = null; // 301 to 303 go on with a GET
          continue;
        }
        if (status >= 400) {
          answer.body().close();
          throw new IOException("HTTP status " + status);
        }
        String type = answer.headers().firstValue("Content-Type").orElse("");
        String encoding = answer.headers().firstValue("Content-Encoding").orElse("");
        byte[] body = readBody(answer.body(), encoding);
        return new Response(current, body, type, charsetOf(type));
      } finally {
        host.release();
      }
    }
  }

  private static void acquire(Semaphore host) throws IOException {
    try {
      host.acquire();
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      throw new IOException("interrupted");
    }
  }

  private HttpResponse<InputStream> send(URI uri, String form) throws IOException {
    HttpRequest.Builder request =
        HttpRequest.newBuilder(uri)
            .timeout(limits.read())
            .header("User-Agent", USER_AGENT)
            .header("Accept-Encoding", "gzip, deflate");
    if (form == null) {
      request.GET();
    } else {
      request.header("Content-Type", "application/x-www-form-urlencoded");
      request.POST(HttpRequest.BodyPublishers.ofString(form));
    }
    try {
      return client.send(request.build(), HttpResponse.BodyHandlers.ofInputStream());
    } catch (java.net.http.HttpTimeoutException e) {
      throw new IOException("no answer within " + limits.read().toMillis() + " ms");
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      throw new IOException("interrupted");
    }
  }

  /** Reads the body within the read time limit, decompressed, up to the size limit. */
  private byte[] readBody(InputStream raw, String encoding) throws IOException {
    var reading =
        java.util.concurrent.CompletableFuture.supplyAsync(
            () -> {
              try (InputStream in = decoded(raw, encoding)) {
                return readLimited(in);
              } catch (IOException e) {
                throw new java.io.UncheckedIOException(e);
              }
            },
            READERS);
    try {
      return reading.get(limits.read().toMillis(), TimeUnit.MILLISECONDS);
    } catch (TimeoutException e) {
      raw.close();
      throw new IOException("body not read within " + limits.read().toMillis() + " ms");
    } catch (ExecutionException e) {
      Throwable cause = e.getCause();
      if (cause instanceof java.io.UncheckedIOException unchecked) throw unchecked.getCause();
      throw new IOException(cause);
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      raw.close();
      throw new IOException("interrupted");
    }
  }

  private static InputStream decoded(InputStream raw, String encoding) throws IOException {
    String lower = encoding.trim().toLowerCase(Locale.ROOT);
    if (lower.equals("gzip") || lower.equals("x-gzip")) return new GZIPInputStream(raw);
    if (lower.equals("deflate")) return new InflaterInputStream(raw);
    return raw;
  }

  private byte[] readLimited(InputStream in) throws IOException {
    ByteArrayOutputStream out = new ByteArrayOutputStream();
    byte[] buffer = new byte[16384];
    for (int n; (n = in.read(buffer)) > 0; ) {
      if (out.size() + n > limits.maxBytes()) {
        throw new IOException("larger than " + (limits.maxBytes() >> 10) + " KB");
      }
      out.write(buffer, 0, n);
    }
    return out.toByteArray();
  }

  static String charsetOf(String contentType) {
    for (String part : contentType.split(";")) {
      String trimmed = part.trim();
      if (trimmed.toLowerCase(Locale.ROOT).startsWith("charset=")) {
        String name = trimmed.substring(8).replace("\"", "").trim();
        return name.isEmpty() ? null : name;
      }
    }
    return null;
  }

  private static String hostKey(URI uri) {
    return String.valueOf(uri.getHost()).toLowerCase(Locale.ROOT) + ":" + uri.getPort();
  }
}
