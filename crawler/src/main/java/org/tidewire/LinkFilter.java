// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.util.regex.Pattern;
import java.util.regex.PatternSyntaxException;

/**
 * A filter as the channel editor writes it: "m#PATTERN#FLAGS" (the flag i ignores letter case)
 * or a bare pattern. An empty filter matches nothing and is "not set".
 */
final class LinkFilter {
  private final Pattern pattern; // null: not set

  private LinkFilter(Pattern pattern) {
    this.pattern = pattern;
  }

  static final LinkFilter NONE = new LinkFilter(null);

  /** Throws IllegalArgumentException naming the filter when its pattern does not compile. */
  static LinkFilter parse(String label, String notation) {
    if (notation == null || notation.isEmpty()) return NONE;
    String regex = notation;
    int flags = 0;
    if (notation.startsWith("m#")) {
      int end = notation.lastIndexOf('#');
      if (end < 2) throw new IllegalArgumentException(label + " \"" + notation + "\" has no closing #");
      regex = notation.substring(2, end);
      String letters = notation.substring(end + 1);
      for (char letter : letters.toCharArray()) {
        switch (letter) {
          case 'i' -> flags |= Pattern.CASE_INSENSITIVE | Pattern.UNICODE_CASE;
          case 's' -> flags |= Pattern.DOTALL;
          case 'm' -> flags |= Pattern.MULTILINE;
          case 'x' -> flags |= Pattern.COMMENTS;
          default -> throw new IllegalArgumentException(
              label + " \"" + notation + "\" has an unknown flag \"" + letter + "\"");
        }
      }
    }
    try {
      return new LinkFilter(Pattern.compile(regex, flags));
    } catch (PatternSyntaxException e) {
      throw new IllegalArgumentException(
          label + " \"" + notation + "\" is not a valid pattern: " + e.getDescription());
    }
  }

  boolean isSet() {
    return pattern != null;
  }

  /** Whether the pattern is found anywhere in the text; false when not set. */
  boolean matches(String text) {
    return pattern != null && pattern.matcher(text).find();
  }
}
