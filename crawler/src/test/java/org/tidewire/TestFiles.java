// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.io.IOException;
import java.io.UncheckedIOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Comparator;
import java.util.stream.Stream;

/** A temporary folder for one test, removed with everything in it by close(). */
final class TestFiles implements AutoCloseable {
  final Path root;

  TestFiles() {
    try {
      root = Files.createTempDirectory("brevora-crawler-test");
    } catch (IOException e) {
      throw new UncheckedIOException(e);
    }
  }

  Path write(String relative, String text) {
    return write(relative, text.getBytes(StandardCharsets.UTF_8));
  }

  Path write(String relative, byte[] bytes) {
    try {
      Path path = root.resolve(relative);
      Files.createDirectories(path.getParent());
      return Files.write(path, bytes);
    } catch (IOException e) {
      throw new UncheckedIOException(e);
    }
  }

  String read(String relative) {
    try {
      return Files.readString(root.resolve(relative), StandardCharsets.UTF_8);
    } catch (IOException e) {
      return "";
    }
  }

  boolean exists(String relative) {
    return Files.exists(root.resolve(relative));
  }

  /** A program folder's Brevora.cfg as the program writes it. */
  void configuration(String workingFolder, String channels, String format) {
    write("Brevora.cfg", "WorkingFolder=" + workingFolder.replace("\\", "\\\\")
        + "\r\nExecutingFolder=/e\r\nStartDownloading=Mon\r\nStartTimes=07:00:00,17:00:00\r\n"
        + "Channels=" + channels + "\r\nFormat=" + format + "\r\nVoice=\r\nAdvanced=False\r\n");
  }

  /** A channel line with the editor's defaults for what is not given. */
  static String channel(String name, String url, String... pairs) {
    String[] f = {name, url, "", "3", "", "10000", "5", "0", "", "0", "", "100", "m#^zzzzz#i",
        "false", "false", "false", "false", "", "", "", "", "", "m#\\.(?:xml|rdf)$#i",
        "m#^zzzzz#i"};
    for (int i = 0; i < pairs.length; i += 2) f[Integer.parseInt(pairs[i])] = pairs[i + 1];
    return String.join("||", f) + "\r\n";
  }

  @Override
  public void close() {
    try (Stream<Path> paths = Files.walk(root)) {
      paths.sorted(Comparator.reverseOrder()).forEach(path -> path.toFile().delete());
    } catch (IOException e) {
      throw new UncheckedIOException(e);
    }
  }
}
