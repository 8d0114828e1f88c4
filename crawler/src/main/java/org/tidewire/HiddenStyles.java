// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.jsoup.nodes.Document;
import org.jsoup.nodes.Element;

/**
 * What a page's styles hide from a reader, so that it is never spoken:
 *
 * <ul>
 *   <li>Declarations that hide: "display: none", "visibility: hidden", "opacity: 0",
 *       "font-size: 0", a clip to nothing ("clip: rect(...)" of at most a pixel, "clip-path:
 *       inset(50%)"), a box of a pixel or none whose overflow is hidden, and text or a box moved
 *       far off the screen (by 999 pixels or more). Comments are not declarations, blanks of any
 *       kind may stand around the colon, and of a property given twice the last counts.
 *   <li>They hide an element through its style attribute, or through a rule of the page's style
 *       sheets whose selector is one element's: a name, classes and an id ("p", ".sr-only",
 *       "span.hidden#note"). Rules within "@media" and the like, and selectors with combinators,
 *       attributes or pseudo-classes, are not applied: they may not hold for a reader's screen;
 *       nor is a rule whose classes or id another rule (anywhere, on any screen) may show with
 *       a display, visibility or opacity of its own.
 * </ul>
 *
 * The style sheets are read up to 1 MB and 5,000 selectors, each element matched once.
 */
final class HiddenStyles {
  private static final int MAX_CSS_CHARS = 1 << 20;
  private static final int MAX_SELECTORS = 5_000;
  private static final Pattern SIMPLE_SELECTOR =
      Pattern.compile("([a-zA-Z][a-zA-Z0-9-]*|\\*)?((?:[.#][-_a-zA-Z0-9\\u00a0-\\uffff]+)*)");
  private static final Pattern PART = Pattern.compile("([.#])([^.#]+)");
  private static final Pattern TOKEN = Pattern.compile("[.#][-_a-zA-Z0-9\\u00a0-\\uffff]+");
  private static final Pattern LENGTH = Pattern.compile("(-?[0-9]*\\.?[0-9]+)([a-z%]*)");
  private static final Pattern BLANKS = Pattern.compile("\\s+");
  // Words without which no declaration hides anything.
  private static final Pattern MAY_HIDE =
      Pattern.compile("none|hidden|collapse|opacity|font-size|clip|-\\s*[0-9]");
  private static final Pattern RECT = Pattern.compile("rect\\(([^)]*)\\)");

  /** One selector of one element: its name ("" for any), classes and id ("" for any). */
  private record Compound(String name, List<String> classes, String id) {
    boolean matches(Element element) {
      if (!name.isEmpty() && !element.normalName().equals(name)) return false;
      if (!id.isEmpty() && !element.id().equals(id)) return false;
      for (String className : classes) if (!element.hasClass(className)) return false;
      return true;
    }
  }

  static final HiddenStyles NONE = new HiddenStyles();

  private final Map<String, List<Compound>> byClass = new HashMap<>();
  private final Map<String, List<Compound>> byId = new HashMap<>();
  private final Map<String, List<Compound>> byName = new HashMap<>();
  private int selectors;
  // While the sheets are read: the selectors of rules that hide, and the classes and ids
  // (".name", "#name") of rules that may show, at any place or screen size.
  private final List<String> hiding = new ArrayList<>();
  private final java.util.Set<String> shown = new java.util.HashSet<>();

  private HiddenStyles() {}

  /** The hiding rules of the page's style elements. */
  static HiddenStyles of(Document page) {
    HiddenStyles styles = new HiddenStyles();
    int chars = 0;
    for (Element style : page.getElementsByTag("style")) {
      String css = style.data();
      if (chars + css.length() > MAX_CSS_CHARS) break;
      chars += css.length();
      styles.read(withoutComments(css), false, 0);
    }
    for (String selectorList : styles.hiding) styles.addRule(selectorList);
    styles.hiding.clear();
    styles.shown.clear();
    return styles;
  }

  /** Whether the element is hidden by its own attributes or style, or by a rule. */
  boolean hides(Element element) {
    if (element.hasAttr("hidden")) return true;
    if (element.attr("aria-hidden").trim().equalsIgnoreCase("true")
        && !element.className().contains("fallback-image")) {
      return true;
    }
    if (element.hasAttr("style") && hidesText(withoutComments(element.attr("style")))) return true;
    if (selectors == 0) return false;
    if (matchesAny(byName.get(element.normalName()), element)) return true;
    if (!element.id().isEmpty() && matchesAny(byId.get(element.id()), element)) return true;
    String classes = element.className();
    if (byClass.isEmpty() || classes.isEmpty()) return false;
    for (String className : BLANKS.split(classes.trim())) {
      if (matchesAny(byClass.get(className), element)) return true;
    }
    return false;
  }

  private static boolean matchesAny(List<Compound> compounds, Element element) {
    if (compounds == null) return false;
    for (Compound compound : compounds) if (compound.matches(element)) return true;
    return false;
  }

  /**
   * Reads the rules of a style sheet (without comments). Rules within at-rules ("@media ...")
   * are read only for what they show.
   */
  private void read(String css, boolean conditional, int depth) {
    int i = 0;
    int n = css.length();
    while (i < n) {
      int open = css.indexOf('{', i);
      if (open < 0) return;
      String prelude = css.substring(i, open);
      // A statement before the rule ("@import ...;") is passed over.
      prelude = prelude.substring(prelude.lastIndexOf(';') + 1).trim();
      int close = matchingBrace(css, open);
      String block = css.substring(open + 1, close);
      if (prelude.startsWith("@")) {
        if (depth < 4 && block.indexOf('{') >= 0) read(block, true, depth + 1);
      } else if (hidesText(block)) {
        if (!conditional) hiding.add(prelude);
      } else if (shows(block)) {
        Matcher token = TOKEN.matcher(prelude);
        while (token.find()) shown.add(token.group());
      }
      i = close + 1;
    }
  }

  /** Whether declarations show what another rule may hide: a display, visibility or opacity. */
  private static boolean shows(String declarations) {
    String lower = declarations.toLowerCase(Locale.ROOT);
    return lower.contains("display") || lower.contains("visibility") || lower.contains("opacity");
  }

  /** Where the block opened at `open` closes; the text's end when it never does. */
  private static int matchingBrace(String css, int open) {
    int depth = 0;
    for (int i = open; i < css.length(); ++i) {
      char c = css.charAt(i);
      if (c == '{') {
        ++depth;
      } else if (c == '}' && --depth == 0) {
        return i;
      }
    }
    return css.length();
  }

  /**
   * Adds the selectors of a rule that hides, each one element's selector none of whose classes
   * and id another rule may show.
   */
  private void addRule(String selectorList) {
    for (String selector : selectorList.split(",")) {
      Matcher simple = SIMPLE_SELECTOR.matcher(selector.trim());
      if (!simple.matches() || selector.isBlank() || selectors >= MAX_SELECTORS) continue;
      String name = simple.group(1) == null || simple.group(1).equals("*") ? ""
          : simple.group(1).toLowerCase(Locale.ROOT);
      List<String> classes = new ArrayList<>();
      String id = "";
      Matcher part = PART.matcher(simple.group(2));
      while (part.find()) {
        if (part.group(1).equals(".")) classes.add(part.group(2));
        else id = part.group(2);
      }
      if (name.isEmpty() && classes.isEmpty() && id.isEmpty()) continue; // "*" hides no story
      boolean shownElsewhere = !id.isEmpty() && shown.contains("#" + id);
      for (String className : classes) shownElsewhere |= shown.contains("." + className);
      if (shownElsewhere) continue;
      Compound compound = new Compound(name, classes, id);
      String key = !classes.isEmpty() ? classes.get(0) : !id.isEmpty() ? id : name;
      Map<String, List<Compound>> index = !classes.isEmpty() ? byClass : !id.isEmpty() ? byId
          : byName;
      index.computeIfAbsent(key, k -> new ArrayList<>()).add(compound);
      ++selectors;
    }
  }

  /** The CSS without its comments; an unclosed comment runs to the end. */
  static String withoutComments(String css) {
    if (css.indexOf("/*") < 0) return css;
    StringBuilder out = new StringBuilder(css.length());
    int i = 0;
    while (i < css.length()) {
      int start = css.indexOf("/*", i);
      if (start < 0) {
        out.append(css, i, css.length());
        break;
      }
      out.append(css, i, start).append(' ');
      int end = css.indexOf("*/", start + 2);
      i = end < 0 ? css.length() : end + 2;
    }
    return out.toString();
  }

  /** Whether declarations (a style attribute's or a rule's) hide what they style. */
  static boolean hidesText(String declarations) {
    String lower = declarations.toLowerCase(Locale.ROOT);
    if (!MAY_HIDE.matcher(lower).find()) return false;
    Map<String, String> values = new HashMap<>();
    for (String declaration : lower.split(";")) {
      int colon = declaration.indexOf(':');
      if (colon < 0) continue;
      String property = declaration.substring(0, colon).strip();
      String value = BLANKS.matcher(declaration.substring(colon + 1).replace("!important", ""))
          .replaceAll(" ").strip();
      values.put(property, value);
    }
    if (values.isEmpty()) return false;
    if ("none".equals(values.get("display"))) return true;
    String visibility = values.getOrDefault("visibility", "");
    if (visibility.equals("hidden") || visibility.equals("collapse")) return true;
    if (isZero(values.get("opacity")) || isZero(values.get("font-size"))) return true;
    String position = values.getOrDefault("position", "");
    boolean placed = position.equals("absolute") || position.equals("fixed");
    if (placed && clipsAll(values.get("clip"))) return true;
    String clipPath = values.getOrDefault("clip-path", "").replace(" ", "");
    if (clipPath.equals("inset(50%)") || clipPath.equals("inset(100%)")) return true;
    if (isFarOff(values.get("text-indent"))) return true;
    if (placed) {
      for (String side : List.of("left", "top", "right")) {
        if (isFarOff(values.get(side))) return true;
      }
    }
    String overflow = values.getOrDefault("overflow", "");
    return overflow.equals("hidden") && atMostAPixel(values.get("width"))
        && atMostAPixel(values.get("height"));
  }

  private static Double pixels(String value) {
    if (value == null) return null;
    Matcher length = LENGTH.matcher(value.strip());
    if (!length.matches()) return null;
    double number = Double.parseDouble(length.group(1));
    return switch (length.group(2)) {
      case "", "px" -> number;
      case "em", "rem" -> number * 16;
      case "pt" -> number * 4 / 3;
      case "%" -> number == 0 ? 0.0 : null;
      default -> null;
    };
  }

  private static boolean isZero(String value) {
    Double pixels = pixels(value);
    return pixels != null && pixels == 0;
  }

  private static boolean atMostAPixel(String value) {
    Double pixels = pixels(value);
    return pixels != null && pixels <= 1;
  }

  private static boolean isFarOff(String value) {
    Double pixels = pixels(value);
    return pixels != null && pixels <= -999;
  }

  /** "rect(0 0 0 0)", "rect(1px, 1px, 1px, 1px)": a clip that leaves at most a pixel. */
  private static boolean clipsAll(String value) {
    if (value == null) return false;
    Matcher rect = RECT.matcher(value);
    if (!rect.find()) return false;
    String[] sides = rect.group(1).trim().split("[\\s,]+");
    if (sides.length != 4) return false;
    Double[] edges = new Double[4]; // top, right, bottom, left
    for (int i = 0; i < 4; ++i) {
      edges[i] = pixels(sides[i]);
      if (edges[i] == null) return false;
    }
    return edges[1] - edges[3] <= 1 && edges[2] - edges[0] <= 1;
  }
}
