// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.UncheckedIOException;
import java.net.CookieManager;
import java.net.CookiePolicy;
import java.net.URI;
import java.net.URISyntaxException;
import java.net.URLEncoder;
import java.net.http.HttpClient;
import java.net.http.HttpRequest;
import java.net.http.HttpResponse;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.Duration;
import java.util.Locale;
import java.util.Map;
import java.util.StringJoiner;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.ConcurrentHashMap;
import java.util.concurrent.ExecutionException;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Semaphore;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.TimeoutException;
import java.util.zip.GZIPInputStream;
import java.util.zip.InflaterInputStream;

/**
 * Fetches documents for one channel: local files and HTTP(S) addresses, within the limits of a
 * document and of its channel (every redirect hop and the body included), a size limit, a few
 * redirects, compressed responses, the channel's cookies, robots.txt, and at most one request at
 * a time per host across all channels.
 */
final class Fetcher {
  static final String USER_AGENT = "Brevora/" + WebCrawler.VERSION + " (news to speech)";

  /**
   * A fetched document: where it came from after redirects, its bytes and declared charset, and
   * the address its relative links start from (its Content-Location, where the answer names one).
   */
  record Response(URI uri, byte[] body, String contentType, String charset, URI base,
      String language) {
    Response(URI uri, byte[] body, String contentType, String charset) {
      this(uri, body, contentType, charset, uri, "");
    }

    Response(URI uri, byte[] body, String contentType, String charset, URI base) {
      this(uri, body, contentType, charset, base, "");
    }

    /** Whether the document holds nothing but blanks. */
    boolean isEmpty() {
      for (byte b : body) if (b != ' ' && b != '\t' && b != '\r' && b != '\n') return false;
      return true;
    }
  }

  /** Robots.txt is read at most this far; rules past it are not looked at. */
  private static final int ROBOTS_MAX_CHARS = 512 << 10;

  private static final Map<String, Semaphore> HOSTS = new ConcurrentHashMap<>();
  // Bodies are read on threads of their own, so that the time limits hold and a slow site never
  // holds up another site's reading.
  private static final ExecutorService READERS = Executors.newCachedThreadPool(task -> {
    Thread thread = new Thread(task, "brevora-reader");
    thread.setDaemon(true);
    return thread;
  });

  private final Limits limits;
  private final long channelEnd; // System.nanoTime() at which the channel's time is up
  private final HttpClient client;
  private final Map<String, Robots> robots;

  /**
   * A fetcher for one channel, whose documents end by channelEnd (System.nanoTime()) at the
   * latest; robots.txt rules are kept in the crawl's robots map.
   */
  Fetcher(Limits limits, long channelEnd, Map<String, Robots> robots) {
    this.limits = limits;
    this.channelEnd = channelEnd;
    this.robots = robots;
    this.client =
        HttpClient.newBuilder()
            .connectTimeout(limits.connect())
            .followRedirects(HttpClient.Redirect.NEVER)
            // A site may set cookies for its own domain only.
            .cookieHandler(new CookieManager(null, CookiePolicy.ACCEPT_ORIGINAL_SERVER))
            .build();
  }

  /** Whether the channel's time is up. */
  boolean channelTimeIsUp() {
    return System.nanoTime() - channelEnd >= 0;
  }

  /**
   * The deadline of a document whose reading starts now: the document's time limit, or the
   * channel's end where that comes first. The work on what was read counts against it too.
   */
  Deadline documentDeadline() {
    long documentEnd = System.nanoTime() + limits.document().toNanos();
    return Deadline.at(documentEnd - channelEnd < 0 ? documentEnd : channelEnd);
  }

  Response get(URI uri) throws IOException {
    if ("file".equalsIgnoreCase(uri.getScheme())) {
      try {
        return readFile(Path.of(uri));
      } catch (IllegalArgumentException | java.nio.file.FileSystemNotFoundException e) {
        throw new IOException("not a local file");
      }
    }
    return exchange(uri, null);
  }

  /**
   * Posts the fields as a form; the cookies set by the answer stay with this fetcher. A 307 or
   * 308 redirect takes the form along only to the same site; to another it is refused.
   */
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
        String text = new String(answer.body(), StandardCharsets.UTF_8);
        rules = Robots.parse(text.length() > ROBOTS_MAX_CHARS
            ? text.substring(0, ROBOTS_MAX_CHARS) : text, "Brevora");
      } catch (IOException | RuntimeException e) {
        // Cut off by this channel's deadline: nothing is known of the site, and nothing kept.
        if (channelTimeIsUp()) return true;
        rules = Robots.ALLOW_ALL; // no robots.txt, or none readable: nothing is forbidden
      }
      robots.putIfAbsent(site, rules);
    }
    String path = uri.getRawPath() == null || uri.getRawPath().isEmpty() ? "/" : uri.getRawPath();
    return rules.allows(uri.getRawQuery() == null ? path : path + "?" + uri.getRawQuery());
  }

  static boolean isHttp(URI uri) {
    String scheme = uri.getScheme();
    return "http".equalsIgnoreCase(scheme) || "https".equalsIgnoreCase(scheme);
  }

  /** A network address that can be fetched: http or https, a host, a port that exists. */
  static boolean isFetchable(URI uri) {
    return isHttp(uri) && !uri.isOpaque() && uri.getHost() != null && uri.getPort() <= 65535;
  }

  private Response readFile(Path path) throws IOException {
    if (!Files.isRegularFile(path)) throw new IOException("no such file: " + path);
    try (InputStream in = Files.newInputStream(path)) {
      return new Response(path.toUri(), readLimited(in), "", null);
    }
  }

  private Response exchange(URI uri, String form) throws IOException {
    long documentEnd = System.nanoTime() + limits.document().toNanos();
    long end = documentEnd - channelEnd < 0 ? documentEnd : channelEnd;
    URI current = uri;
    for (int redirects = 0; ; ++redirects) {
      if (!isFetchable(current)) throw new IOException("not a web address: " + current);
      Semaphore host = HOSTS.computeIfAbsent(hostKey(current), key -> new Semaphore(1, true));
      acquire(host, end);
      try {
        HttpResponse<InputStream> answer = send(current, form, end);
        int status = answer.statusCode();
        String location = answer.headers().firstValue("Location").orElse(null);
        if (status >= 300 && status < 400 && location != null) {
          answer.body().close();
          if (redirects == limits.maxRedirects()) throw new IOException("too many redirects");
          URI next;
          try {
            next = current.resolve(location.trim());
          } catch (IllegalArgumentException e) {
            throw new IOException("redirect to an invalid address");
          }
          if (!isFetchable(next)) throw new IOException("redirect to " + next);
          if (status != 307 && status != 308) {
            form = null; // 301 to 303 go on with a GET
          } else if (form != null && !sameSite(current, next)) {
            throw new IOException("the form was redirected to another site: " + next);
          }
          current = next;
          continue;
        }
        if (status >= 400) {
          answer.body().close();
          throw new IOException(statusText(status));
        }
        String type = answer.headers().firstValue("Content-Type").orElse("");
        String encoding = answer.headers().firstValue("Content-Encoding").orElse("");
        byte[] body = readBody(answer.body(), encoding, end);
        URI base = current;
        String stated = answer.headers().firstValue("Content-Location").orElse("").trim();
        if (!stated.isEmpty()) {
          try {
            URI statedBase = current.resolve(new URI(stated.replace(" ", "%20")));
            if (isFetchable(statedBase)) base = statedBase;
          } catch (URISyntaxException | IllegalArgumentException e) {
            base = current; // a Content-Location that is no address is not used
          }
        }
        String language = answer.headers().firstValue("Content-Language").orElse("");
        return new Response(current, body, type, charsetOf(type), base,
            language.length() > 200 ? "" : language);
      } finally {
        host.release();
      }
    }
  }

  private static boolean sameSite(URI a, URI b) {
    return a.getScheme().equalsIgnoreCase(b.getScheme()) && hostKey(a).equals(hostKey(b));
  }

  /** The time left until end, at most the answer limit; an IOException when none is left. */
  private Duration timeLeft(long end) throws IOException {
    long left = end - System.nanoTime();
    if (left <= 0) throw new IOException("not read within the time limit of " + limitName(end));
    return Duration.ofNanos(Math.min(left, limits.answer().toNanos()));
  }

  private String limitName(long end) {
    return end == channelEnd ? "the channel" : Limits.words(limits.document()) + " per document";
  }

  private void acquire(Semaphore host, long end) throws IOException {
    try {
      if (!host.tryAcquire(Math.max(0, end - System.nanoTime()), TimeUnit.NANOSECONDS)) {
        throw new IOException("not read within the time limit of " + limitName(end));
      }
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      throw new IOException("interrupted");
    }
  }

  private HttpResponse<InputStream> send(URI uri, String form, long end) throws IOException {
    Duration wait = timeLeft(end);
    try {
      HttpRequest.Builder request =
          HttpRequest.newBuilder(uri)
              .timeout(wait)
              .header("User-Agent", USER_AGENT)
              .header("Accept-Encoding", "gzip, deflate");
      if (form == null) {
        request.GET();
      } else {
        request.header("Content-Type", "application/x-www-form-urlencoded");
        request.POST(HttpRequest.BodyPublishers.ofString(form));
      }
      return client.send(request.build(), HttpResponse.BodyHandlers.ofInputStream());
    } catch (java.net.http.HttpTimeoutException e) {
      throw new IOException(wait.equals(limits.answer())
          ? "no answer within " + Limits.words(limits.answer())
          : "not read within the time limit of " + limitName(end));
    } catch (IllegalArgumentException e) {
      throw new IOException("not a valid web address");
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      throw new IOException("interrupted");
    } catch (IOException e) {
      throw new IOException(inWords(e), e);
    }
  }

  /** Why a connection failed, in the words a user reads in the log. */
  static String inWords(IOException failure) {
    for (Throwable cause = failure; cause != null; cause = cause.getCause()) {
      if (cause instanceof java.nio.channels.UnresolvedAddressException
          || cause instanceof java.net.UnknownHostException) {
        return "name not found";
      }
    }
    for (Throwable cause = failure; cause != null; cause = cause.getCause()) {
      if (cause instanceof java.net.ConnectException) return "connection refused";
      if (cause instanceof java.net.NoRouteToHostException) return "no route to the host";
      if (cause instanceof javax.net.ssl.SSLException) return "the secure connection failed";
    }
    String message = failure.getMessage();
    return message == null || message.isBlank() ? failure.getClass().getSimpleName() : message;
  }

  /** A failed answer's status as HTTP names it: "HTTP 404 Not Found". */
  static String statusText(int status) {
    String reason = switch (status) {
      case 400 -> "Bad Request";
      case 401 -> "Unauthorized";
      case 403 -> "Forbidden";
      case 404 -> "Not Found";
      case 405 -> "Method Not Allowed";
      case 408 -> "Request Timeout";
      case 410 -> "Gone";
      case 429 -> "Too Many Requests";
      case 500 -> "Internal Server Error";
      case 501 -> "Not Implemented";
      case 502 -> "Bad Gateway";
      case 503 -> "Service Unavailable";
      case 504 -> "Gateway Timeout";
      default -> "";
    };
    return "HTTP " + status + (reason.isEmpty() ? "" : " " + reason);
  }

  /** Reads the body within the time left, decompressed, up to the size limit. */
  private byte[] readBody(InputStream raw, String encoding, long end) throws IOException {
    Duration wait;
    try {
      wait = timeLeft(end);
    } catch (IOException e) {
      raw.close();
      throw e;
    }
    CompletableFuture<byte[]> reading = CompletableFuture.supplyAsync(() -> {
      try (InputStream in = decoded(raw, encoding)) {
        return readLimited(in);
      } catch (IOException e) {
        throw new UncheckedIOException(e);
      }
    }, READERS);
    try {
      return reading.get(wait.toNanos(), TimeUnit.NANOSECONDS);
    } catch (TimeoutException e) {
      raw.close();
      throw new IOException(wait.equals(limits.answer())
          ? "body not read within " + Limits.words(limits.answer())
          : "not read within the time limit of " + limitName(end));
    } catch (ExecutionException e) {
      Throwable cause = e.getCause();
      if (cause instanceof UncheckedIOException unchecked) throw unchecked.getCause();
      throw new IOException(String.valueOf(cause));
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

  /**
   * The charset a Content-Type names, quoted or not, when this runtime knows it; null when it
   * names none or one unknown, so that the document's own declaration or detection decides.
   */
  static String charsetOf(String contentType) {
    for (String part : contentType.split(";")) {
      String trimmed = part.trim();
      if (trimmed.toLowerCase(Locale.ROOT).startsWith("charset=")) {
        String name = trimmed.substring(8).replace("\"", "").replace("'", "").trim();
        try {
          return !name.isEmpty() && Charset.isSupported(name) ? name : null;
        } catch (IllegalArgumentException e) {
          return null;
        }
      }
    }
    return null;
  }

  private static String hostKey(URI uri) {
    return String.valueOf(uri.getHost()).toLowerCase(Locale.ROOT) + ":" + uri.getPort();
  }
}
