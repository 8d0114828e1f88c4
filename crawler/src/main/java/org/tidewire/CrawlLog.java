// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardOpenOption;
import java.time.LocalDateTime;
import java.time.format.DateTimeFormatter;
import java.util.Locale;

/**
 * Brevora.log in the program folder, shared with the program: one entry per failure, appended in
 * the program's own form "[03/15/04 14:05:09 PM] ERROR - ..." with the program's line end.
 */
class CrawlLog {
  private static final DateTimeFormatter STAMP =
      DateTimeFormatter.ofPattern("MM/dd/yy HH:mm:ss a", Locale.US);

  private final Path file;

  CrawlLog(Path file) {
    this.file = file;
  }

  synchronized void error(String message) {
    String entry = "[" + LocalDateTime.now().format(STAMP) + "] ERROR - "
        + message.replace("\r", " ").replace("\n", " ") + "\r\r\n";
    try {
      Files.write(file, entry.getBytes(StandardCharsets.UTF_8), StandardOpenOption.CREATE,
          StandardOpenOption.APPEND, StandardOpenOption.WRITE);
    } catch (IOException e) {
      System.err.println("Brevora.log cannot be written: " + e.getMessage() + ": " + message);
    }
  }
}
