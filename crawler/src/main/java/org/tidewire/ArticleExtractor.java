// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.util.ArrayDeque;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.Deque;
import java.util.IdentityHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Set;
import java.util.regex.Pattern;
import org.jsoup.nodes.Document;
import org.jsoup.nodes.Element;
import org.jsoup.nodes.Node;
import org.jsoup.nodes.TextNode;
import org.jsoup.parser.Tag;
import org.jsoup.select.NodeFilter;
import org.jsoup.select.NodeTraversor;

/**
 * Finds the story in a news page: the element that holds the article's paragraphs, without the
 * menus, side bars, teasers, comments and footers around it.
 *
 * <p>The rules, in the order they are applied:
 *
 * <ol>
 *   <li><b>Only what a reader sees.</b> Scripts, styles, forms' controls, embedded objects,
 *       elements hidden by their attributes, their style or a rule of the page's style sheets
 *       (see HiddenStyles) and the body of a closed "details" go; "font" counts as "span"; two
 *       or more line breaks in a row end a paragraph, so stories written as text between
 *       {@code <br>}s have paragraphs too.
 *   <li><b>Unlikely parts.</b> An element whose class or id names a menu, side bar, comment,
 *       footer, share bar or the like (and not also content), or whose role is navigation,
 *       complementary, a menu or a dialog, is left out with what it holds. Readers' comments
 *       are left out in every reading: a section or item whose class or id names comments, and
 *       a heading that opens them ("12 Comments", "Leave a Reply"), the author's box ("About
 *       the author") or links to more ("Related stories") with what follows it.
 *   <li><b>Paragraphs.</b> Paragraphs, headings, cells, preformatted text, and containers that
 *       hold only text (a {@code div} of text and links) are scored: 1, plus one for each comma,
 *       plus one for each hundred characters (three at most). Paragraphs of under 25 characters
 *       do not count.
 *   <li><b>Containers.</b> A paragraph's score goes to its parent whole, half to its grandparent,
 *       and a third of its share to each of three further ancestors. A container starts from its
 *       kind (a {@code div} +5, lists and forms -3, headings -5) and its class and id (story
 *       words +25, furniture words -25); its final score is multiplied by the share of its text
 *       that is not link text.
 *   <li><b>The best container,</b> moved up to a common ancestor when several nearly as good lie
 *       in it, and up while its parent scores more; then its siblings that belong to the story:
 *       those scoring at least a fifth of it, and paragraphs of prose with few links.
 *   <li><b>Clean up.</b> Inside it, lists, tables and blocks that are mostly links, images,
 *       inputs or headings of their own, or whose class says furniture, are left out; so are
 *       share bars, footers and side bars. A block that holds more than half of the story's
 *       text stays unless its class says furniture or half of its text is link text. A list
 *       of three or more items that is almost all links is never the story.
 *   <li><b>Retry.</b> When the result holds under 500 characters, the page is read again with
 *       fewer rules (first without leaving out unlikely parts, then without class and id words,
 *       then without the clean-up), and the result with the most text outside links is kept;
 *       but a result that lies in a part rule 2 would leave out (a side bar, an author's
 *       profile, a footer) is kept only when no reading found text elsewhere, and is never
 *       enough to end the retries, nor is one that is mostly links.
 * </ol>
 *
 * Elements deeper than 256 levels give their text, line by line, to their ancestor at that
 * level, so that no page, however deeply nested, takes more than time in proportion to its size.
 */
final class ArticleExtractor {
  private ArticleExtractor() {}

  static final int MAX_DEPTH = 256;
  private static final int ENOUGH_TEXT = 500;

  private static final Pattern UNLIKELY = Pattern.compile(
      "-ad-|ai2html|banner|breadcrumbs|combx|comment|community|cover-wrap|disqus|extra|footer|gdpr"
          + "|(?:^|[-_ ])foot(?:$|[-_ ])"
          + "|header|legends|menu|related|remark|replies|rss|shoutbox|sidebar|skyscraper|social"
          + "|sponsor|supplemental|ad-break|agegate|pagination|pager|popup|yom-remote"
          + "|about[-_]?(?:the[-_]?)?author|author[-_]?(?:box|bio|info|profile|details)|authorbox"
          + "|newsletter|subscribe|signup|sign-up|recommend|outbrain|taboola|sharing",
      Pattern.CASE_INSENSITIVE);
  // Parts beside the story (a page's header is not one: broken markup may put all in it).
  private static final Pattern BESIDE_THE_STORY = Pattern.compile(
      "sidebar|side-bar|widget|profile|author|disclaimer|footer|(?:^|[-_ ])foot(?:$|[-_ ])"
          + "|comment|related|sponsor|banner"
          + "|popup|social|share|menu|skyscraper|supplemental",
      Pattern.CASE_INSENSITIVE);
  // Words of a part that holds a story, whatever else its class says.
  private static final Pattern STORY_PART = Pattern.compile(
      "(?:^|[-_ ])(?:article|hentry|h-entry|entry|story|post)(?:$|[-_ ])",
      Pattern.CASE_INSENSITIVE);
  private static final Pattern MAYBE_CONTENT =
      Pattern.compile("and|article|body|column|content|main|shadow", Pattern.CASE_INSENSITIVE);
  private static final Pattern POSITIVE = Pattern.compile(
      "article|body|content|entry|hentry|h-entry|main|page|pagination|post|text|blog|story",
      Pattern.CASE_INSENSITIVE);
  private static final Pattern NEGATIVE = Pattern.compile(
      "-ad-|hidden|^hid$| hid$| hid |^hid |banner|combx|comment|com-|contact|footer|gdpr|masthead"
          + "|media|meta|outbrain|promo|related|scroll|share|shoutbox|sidebar|skyscraper|sponsor"
          + "|shopping|tags|widget",
      Pattern.CASE_INSENSITIVE);
  private static final Pattern SHARE = Pattern.compile("(\\b|_)(share|sharedaddy)(\\b|_)",
      Pattern.CASE_INSENSITIVE);
  private static final Pattern COMMAS =
      Pattern.compile("[,\u060C\uFE50\uFE10\uFE11\u2E41\u2E34\u2E32\uFF0C]");
  private static final Pattern SENTENCE_END = Pattern.compile("\\.( |$)");
  private static final Set<String> UNLIKELY_ROLES = Set.of("menu", "menubar", "complementary",
      "navigation", "alert", "alertdialog", "dialog");
  // What a reader never hears as the story: what is not seen, form controls, and navigation.
  private static final Set<String> LEFT_OUT = Set.of("script", "style", "noscript", "template",
      "link", "meta", "svg", "math", "object", "embed", "iframe", "textarea", "select", "button",
      "input", "canvas", "audio", "video", "source", "track", "map", "dialog", "nav");
  private static final Set<String> SCORED =
      Set.of("section", "h2", "h3", "h4", "h5", "h6", "p", "td", "pre");
  // What makes a div more than a paragraph.
  private static final Set<String> DIV_BLOCKS =
      Set.of("blockquote", "dl", "div", "img", "ol", "p", "pre", "table", "ul");
  private static final Set<String> PHRASING = Set.of("abbr", "audio", "b", "bdo", "br", "button",
      "cite", "code", "data", "datalist", "dfn", "em", "embed", "i", "img", "input", "kbd",
      "label", "mark", "math", "meter", "noscript", "object", "output", "progress", "q", "ruby",
      "samp", "script", "select", "small", "span", "strong", "sub", "sup", "textarea", "time",
      "var", "wbr", "s", "u", "font", "tt", "big", "strike", "acronym");
  private static final Set<String> EMPTY_REMOVABLE =
      Set.of("div", "section", "header", "h1", "h2", "h3", "h4", "h5", "h6");
  private static final Set<String> HEADINGS = Set.of("h1", "h2", "h3", "h4", "h5", "h6");

  /** Which rules a reading applies; each retry drops one. */
  private record Rules(boolean stripUnlikely, boolean weighClasses, boolean cleanConditionally) {}

  private static final List<Rules> ATTEMPTS = List.of(new Rules(true, true, true),
      new Rules(false, true, true), new Rules(false, false, true), new Rules(false, false, false));

  /**
   * The element that holds the story (of a prepared copy of the page; the page itself is left as
   * it is). Its text may be empty when the page holds none.
   */
  static Element find(Document page, Deadline deadline) {
    String title = articleTitle(page);
    Document prepared = page.clone();
    prepare(prepared, deadline);
    Element best = null;
    int bestLength = -1;
    boolean bestLikely = false;
    for (int i = 0; i < ATTEMPTS.size(); ++i) {
      Document copy = i + 1 < ATTEMPTS.size() ? prepared.clone() : prepared;
      Reading reading = new Reading(ATTEMPTS.get(i), title, deadline);
      Element found = reading.grab(copy);
      boolean likely = !reading.inUnlikelyPart;
      // Enough text that is not mostly links ends the retries; readings compare by their prose,
      // as one that only adds links reads no more of the story.
      if (likely && found.text().length() >= ENOUGH_TEXT && linkDensity(found) < 0.5) {
        return found;
      }
      int length = proseLength(found);
      // A story found in a likely part beats any found in a side bar, a profile or the like.
      boolean good = likely && length > 0;
      if (best == null || good && !bestLikely || good == bestLikely && length > bestLength) {
        best = found;
        bestLength = length;
        bestLikely = good;
      }
    }
    return best;
  }

  /** Rule 1, and the bound on depth. */
  private static void prepare(Document page, Deadline deadline) {
    HiddenStyles styles = HiddenStyles.of(page);
    flattenDeepElements(page, styles);
    removeUnseen(page, styles, deadline);
    paragraphsFromBreaks(page);
  }

  /**
   * Removes what a reader never sees (see HiddenStyles): scripts, styles, templates, forms'
   * controls and embedded objects, hidden elements, and a closed "details" but for its summary;
   * "font" becomes "span".
   */
  static void removeUnseen(Document page, HiddenStyles styles, Deadline deadline) {
    List<Node> gone = new ArrayList<>();
    for (Element element : page.getAllElements()) {
      deadline.check();
      String name = element.normalName();
      if (LEFT_OUT.contains(name) || styles.hides(element)) {
        gone.add(element);
      } else if (name.equals("font")) {
        element.tagName("span");
      } else if (name.equals("details") && !element.hasAttr("open")) {
        boolean summary = false;
        for (Node child : element.childNodes()) {
          if (!summary && child instanceof Element e && e.normalName().equals("summary")) {
            summary = true;
          } else {
            gone.add(child);
          }
        }
      }
    }
    removeAll(gone);
  }

  /** The text a reader sees of a piece of HTML (a feed's item, say), on one line. */
  static String visibleText(String html) {
    Document piece = org.jsoup.Jsoup.parse(html);
    removeUnseen(piece, HiddenStyles.of(piece), Deadline.NONE);
    return piece.text().trim();
  }

  /**
   * An element at MAX_DEPTH that holds elements keeps only their text: each block and line
   * break of what it held becomes a line break, so that its lines stay lines.
   */
  private static void flattenDeepElements(Document page, HiddenStyles styles) {
    List<Element> boundaries = new ArrayList<>();
    Deque<Element> stack = new ArrayDeque<>();
    Map<Element, Integer> depth = new IdentityHashMap<>();
    stack.push(page);
    depth.put(page, 0);
    while (!stack.isEmpty()) {
      Element element = stack.pop();
      int level = depth.remove(element);
      if (level == MAX_DEPTH) {
        if (element.childrenSize() > 0) boundaries.add(element);
        continue;
      }
      for (Element child : element.children()) {
        stack.push(child);
        depth.put(child, level + 1);
      }
    }
    for (Element boundary : boundaries) {
      List<Node> flat = new ArrayList<>();
      NodeTraversor.filter(new NodeFilter() {
        @Override
        public FilterResult head(Node node, int level) {
          if (node instanceof TextNode text) {
            flat.add(new TextNode(text.getWholeText()));
          } else if (node instanceof Element e && node != boundary) {
            if (LEFT_OUT.contains(e.normalName()) || styles.hides(e)) {
              return FilterResult.SKIP_ENTIRELY;
            }
            if (e.isBlock() || e.normalName().equals("br")) flat.add(new Element("br"));
          }
          return FilterResult.CONTINUE;
        }

        @Override
        public FilterResult tail(Node node, int level) {
          if (node instanceof Element e && node != boundary && e.isBlock()) {
            flat.add(new Element("br"));
          }
          return FilterResult.CONTINUE;
        }
      }, boundary);
      boundary.empty();
      for (Node node : flat) boundary.appendChild(node);
    }
  }

  /**
   * A run of two or more line breaks ends a paragraph: the text after it, up to the next such
   * run or block, becomes a paragraph of its own. Each parent's children are rebuilt in one pass.
   */
  private static void paragraphsFromBreaks(Document page) {
    Map<Element, Boolean> parents = new IdentityHashMap<>();
    for (Element br : page.getElementsByTag("br")) {
      if (br.parent() != null) parents.put(br.parent(), true);
    }
    for (Element parent : parents.keySet()) {
      List<Node> children = parent.childNodes();
      boolean hasRun = false;
      for (int i = 0; i < children.size() && !hasRun; ++i) hasRun = runOfBreaks(children, i) > 0;
      if (!hasRun) continue;
      children = detachChildren(parent);
      Element paragraph = null;
      for (int i = 0; i < children.size(); ++i) {
        int end = runOfBreaks(children, i);
        if (end > 0) {
          if (paragraph != null) trimTrailing(paragraph);
          paragraph = new Element(Tag.valueOf("p"), parent.baseUri());
          parent.appendChild(paragraph);
          i = end - 1;
        } else if (paragraph != null && isPhrasing(children.get(i))) {
          paragraph.appendChild(children.get(i));
        } else {
          if (paragraph != null) trimTrailing(paragraph);
          paragraph = null;
          parent.appendChild(children.get(i));
        }
      }
      if (paragraph != null) trimTrailing(paragraph);
      if (parent.normalName().equals("p")) parent.tagName("div");
    }
  }

  /** Where the run of two or more breaks starting at i ends (past its last break); 0: none. */
  private static int runOfBreaks(List<Node> nodes, int i) {
    if (!isBreak(nodes.get(i))) return 0;
    int breaks = 1;
    int end = i + 1;
    for (int j = i + 1; j < nodes.size(); ++j) {
      Node node = nodes.get(j);
      if (isBreak(node)) {
        ++breaks;
        end = j + 1;
      } else if (!(node instanceof TextNode text && text.isBlank())) {
        break;
      }
    }
    return breaks >= 2 ? end : 0;
  }

  private static boolean isBreak(Node node) {
    return node instanceof Element e && e.normalName().equals("br");
  }

  /** Takes all children out of the element, last first (each removal then costs nothing). */
  private static List<Node> detachChildren(Element parent) {
    List<Node> children = new ArrayList<>(parent.childNodes());
    for (int i = children.size() - 1; i >= 0; --i) children.get(i).remove();
    return children;
  }

  /**
   * Removes the nodes from the page, each parent's list of children rebuilt once, so that the
   * whole costs the length of those lists rather than a pass over a list for each element.
   */
  static void removeAll(List<? extends Node> nodes) {
    Map<Element, Set<Node>> byParent = new IdentityHashMap<>();
    for (Node node : nodes) {
      Element parent = node.parent() instanceof Element e ? e : null;
      if (parent != null) {
        byParent.computeIfAbsent(parent, key -> java.util.Collections.newSetFromMap(
            new IdentityHashMap<>())).add(node);
      }
    }
    for (Map.Entry<Element, Set<Node>> entry : byParent.entrySet()) {
      Element parent = entry.getKey();
      Set<Node> gone = entry.getValue();
      if (gone.size() == 1) {
        gone.iterator().next().remove();
        continue;
      }
      for (Node child : detachChildren(parent)) {
        if (!gone.contains(child)) parent.appendChild(child);
      }
    }
  }

  /** Removes blanks and breaks at the paragraph's end; an empty paragraph goes. */
  private static void trimTrailing(Element paragraph) {
    while (paragraph.childNodeSize() > 0
        && isBlankOrBreak(paragraph.childNode(paragraph.childNodeSize() - 1))) {
      paragraph.childNode(paragraph.childNodeSize() - 1).remove();
    }
    if (paragraph.childNodeSize() == 0) paragraph.remove();
  }

  private static boolean isBlankOrBreak(Node node) {
    return node instanceof TextNode text ? text.isBlank()
        : node instanceof Element e && e.normalName().equals("br");
  }

  private static boolean isPhrasing(Node node) {
    if (node instanceof TextNode) return true;
    if (!(node instanceof Element element)) return true; // comments and the like
    String name = element.normalName();
    if (PHRASING.contains(name)) return true;
    if (name.equals("a") || name.equals("del") || name.equals("ins")) {
      for (Node child : element.childNodes()) if (!isPhrasing(child)) return false;
      return true;
    }
    return false;
  }

  /** One reading of the page with a set of rules: rules 2 to 6. */
  private static final class Reading {
    private final Rules rules;
    private final String title;
    private final Deadline deadline;
    private boolean titleHeadingRemoved;
    boolean inUnlikelyPart; // whether the story found lies in a part rule 2 leaves out
    private int storyLength; // characters of the story before its clean-up
    private final Map<Element, Double> scores = new IdentityHashMap<>();

    Reading(Rules rules, String title, Deadline deadline) {
      this.rules = rules;
      this.title = title;
      this.deadline = deadline;
    }

    Element grab(Document page) {
      Element body = page.body();
      List<Element> toScore = walk(body);
      List<Element> candidates = score(toScore);
      Element top = best(candidates, body);
      inUnlikelyPart = isInUnlikelyPart(top, body);
      Element article = gather(top, body.ownerDocument());
      clean(article);
      return article;
    }

    /**
     * Whether the element or an ancestor lies beside the story (a side bar, a profile, a
     * footer, comments), below any article or part whose class or id names one.
     */
    private static boolean isInUnlikelyPart(Element top, Element body) {
      for (Element e = top; e != null && e != body; e = e.parent()) {
        String match = e.className() + " " + e.id();
        // A story's own part: what holds it (a blog's "widget" of posts, say) is no side bar.
        if (STORY_PART.matcher(match).find() || e.normalName().equals("article")) return false;
        if (BESIDE_THE_STORY.matcher(match).find() && !MAYBE_CONTENT.matcher(match).find()) {
          return true;
        }
        if (UNLIKELY_ROLES.contains(e.attr("role").toLowerCase(Locale.ROOT))) return true;
        String name = e.normalName();
        if (name.equals("aside") || name.equals("footer")) return true;
      }
      return false;
    }

    /** Rule 2, and the elements rule 3 scores, in one walk of the page. */
    private List<Element> walk(Element body) {
      List<Element> toScore = new ArrayList<>();
      // Left out after the walk, all at once: a removal from a long list of children one at a
      // time would cost the length of the list each time.
      List<Element> gone = new ArrayList<>();
      Set<Element> leftOut = java.util.Collections.newSetFromMap(new IdentityHashMap<>());
      Deque<Element> stack = new ArrayDeque<>();
      stack.push(body);
      while (!stack.isEmpty()) {
        deadline.check();
        Element element = stack.pop();
        if (leftOut.contains(element)) continue;
        String name = element.normalName();
        if (HEADINGS.contains(name) && (endsTheStory(element) || isCommentSection(element))) {
          // Comments, an author's box or links to more, opened by a heading: the blocks after
          // it are theirs.
          gone.add(element);
          gone.addAll(element.nextElementSiblings());
          leftOut.addAll(element.nextElementSiblings());
          continue;
        }
        if (element != body && (isCommentSection(element) || isNeverTheStory(element))) {
          gone.add(element);
          continue;
        }
        if (element != body && rules.stripUnlikely) {
          String match = element.className() + " " + element.id();
          if (UNLIKELY.matcher(match).find() && !MAYBE_CONTENT.matcher(match).find()
              && !name.equals("body") && !name.equals("a") && !hasAncestor(element, "table", 3)
              && !hasAncestor(element, "code", 3)) {
            gone.add(element);
            continue;
          }
          if (UNLIKELY_ROLES.contains(element.attr("role").toLowerCase(Locale.ROOT))) {
            gone.add(element);
            continue;
          }
        }
        // The heading that repeats the page's title: the title is spoken before the text.
        if (!titleHeadingRemoved && (name.equals("h1") || name.equals("h2"))
            && similarity(title, element.text()) > 0.75) {
          titleHeadingRemoved = true;
          gone.add(element);
          continue;
        }
        if (element != body && EMPTY_REMOVABLE.contains(name) && isWithoutContent(element)) {
          gone.add(element);
          continue;
        }
        if (SCORED.contains(name)) toScore.add(element);
        if (name.equals("div")) {
          wrapLooseText(element);
          Element only = element.childrenSize() == 1 ? element.child(0) : null;
          if (only != null && only.normalName().equals("p") && onlyChildIsElement(element)
              && linkDensity(element) < 0.25) {
            element.replaceWith(only);
            toScore.add(only);
            pushChildren(stack, only);
            continue;
          } else if (!hasBlockChild(element)) {
            element.tagName("p");
            toScore.add(element);
          }
        }
        pushChildren(stack, element);
      }
      removeAll(gone);
      return toScore;
    }

    private static void pushChildren(Deque<Element> stack, Element element) {
      List<Element> children = element.children();
      for (int i = children.size() - 1; i >= 0; --i) stack.push(children.get(i));
    }

    /** Runs of text and inline elements beside blocks in a div become paragraphs. */
    private static void wrapLooseText(Element div) {
      if (!hasBlockChild(div)) return;
      boolean loose = false;
      for (Node child : div.childNodes()) {
        if (isPhrasing(child) && !(child instanceof TextNode text && text.isBlank())) loose = true;
      }
      if (!loose) return;
      Element paragraph = null;
      for (Node child : detachChildren(div)) {
        if (isPhrasing(child)) {
          if (paragraph == null) {
            if (child instanceof TextNode text && text.isBlank()) {
              div.appendChild(child);
              continue;
            }
            paragraph = new Element(Tag.valueOf("p"), div.baseUri());
            div.appendChild(paragraph);
          }
          paragraph.appendChild(child);
        } else {
          if (paragraph != null) trimTrailing(paragraph);
          paragraph = null;
          div.appendChild(child);
        }
      }
      if (paragraph != null) trimTrailing(paragraph);
    }

    private static boolean onlyChildIsElement(Element element) {
      for (Node child : element.childNodes()) {
        if (child instanceof TextNode text && !text.isBlank()) return false;
      }
      return true;
    }

    private static boolean hasBlockChild(Element element) {
      for (Element child : element.children()) {
        if (DIV_BLOCKS.contains(child.normalName()) || hasBlockChild(child)) return true;
      }
      return false;
    }

    private static boolean isWithoutContent(Element element) {
      if (!element.text().isBlank()) return false;
      for (Element child : element.children()) {
        String name = child.normalName();
        if (!name.equals("br") && !name.equals("hr")) return false;
      }
      return true;
    }

    /** Rules 3 and 4: the scored containers, each with its final score. */
    private List<Element> score(List<Element> toScore) {
      List<Element> candidates = new ArrayList<>();
      for (Element element : toScore) {
        deadline.check();
        if (element.parent() == null || !attached(element)) continue;
        String text = element.text();
        if (text.length() < 25) continue;
        int commaPieces = COMMAS.split(text, -1).length;
        double points = 1 + commaPieces + Math.min(text.length() / 100, 3);
        Element ancestor = element.parent();
        for (int level = 0; ancestor != null && level < 5; ++level) {
          if (ancestor.parent() == null) break;
          if (!scores.containsKey(ancestor)) {
            scores.put(ancestor, initialScore(ancestor));
            candidates.add(ancestor);
          }
          double divider = level == 0 ? 1 : level == 1 ? 2 : level * 3;
          scores.merge(ancestor, points / divider, Double::sum);
          ancestor = ancestor.parent();
        }
      }
      for (Element candidate : candidates) {
        scores.put(candidate, scores.get(candidate) * (1 - linkDensity(candidate)));
      }
      return candidates;
    }

    private static boolean attached(Element element) {
      Element root = element;
      int steps = 0;
      while (root.parent() != null && steps++ <= MAX_DEPTH + 8) root = root.parent();
      return root instanceof Document;
    }

    private double initialScore(Element element) {
      double score = switch (element.normalName()) {
        case "div" -> 5;
        case "pre", "td", "blockquote" -> 3;
        case "address", "ol", "ul", "dl", "dd", "dt", "li", "form" -> -3;
        case "h1", "h2", "h3", "h4", "h5", "h6", "th" -> -5;
        default -> 0;
      };
      return score + classWeight(element);
    }

    private int classWeight(Element element) {
      if (!rules.weighClasses) return 0;
      int weight = 0;
      String className = element.className();
      if (!className.isEmpty()) {
        if (NEGATIVE.matcher(className).find()) weight -= 25;
        if (POSITIVE.matcher(className).find()) weight += 25;
      }
      String id = element.id();
      if (!id.isEmpty()) {
        if (NEGATIVE.matcher(id).find()) weight -= 25;
        if (POSITIVE.matcher(id).find()) weight += 25;
      }
      return weight;
    }

    private double scoreOf(Element element) {
      return scores.getOrDefault(element, 0.0);
    }

    /** Rule 5, first half: the best container. */
    private Element best(List<Element> candidates, Element body) {
      List<Element> ranked = new ArrayList<>(candidates);
      ranked.sort(Comparator.comparingDouble(this::scoreOf).reversed());
      Element top = ranked.isEmpty() ? null : ranked.get(0);
      if (top == null || top == body) return body;
      double topScore = scoreOf(top);
      List<Element> alternatives = new ArrayList<>();
      for (int i = 1; i < Math.min(ranked.size(), 5); ++i) {
        if (scoreOf(ranked.get(i)) / topScore >= 0.75) alternatives.add(ranked.get(i));
      }
      if (alternatives.size() >= 3) {
        for (Element parent = top.parent(); parent != null && parent != body;
            parent = parent.parent()) {
          int containing = 0;
          for (Element alternative : alternatives) {
            if (isAncestor(parent, alternative)) ++containing;
          }
          if (containing >= 3) {
            top = parent;
            break;
          }
        }
        if (!scores.containsKey(top)) scores.put(top, initialScore(top));
      }
      double lastScore = scoreOf(top);
      double threshold = lastScore / 3;
      for (Element parent = top.parent(); parent != null && parent != body;
          parent = parent.parent()) {
        if (!scores.containsKey(parent)) continue;
        double parentScore = scoreOf(parent);
        if (parentScore < threshold) break;
        if (parentScore > lastScore) {
          top = parent;
          break;
        }
        lastScore = parentScore;
      }
      while (top.parent() != null && top.parent() != body && top.parent().childrenSize() == 1) {
        top = top.parent();
      }
      return top;
    }

    private static boolean isAncestor(Element ancestor, Element element) {
      int steps = 0;
      for (Element e = element.parent(); e != null && steps++ <= MAX_DEPTH + 8; e = e.parent()) {
        if (e == ancestor) return true;
      }
      return false;
    }

    /** Rule 5, second half: the container with the siblings that belong to the story. */
    private Element gather(Element top, Document page) {
      Element article = new Element(Tag.valueOf("div"), page.baseUri());
      if (top.normalName().equals("body") || top.parent() == null) {
        for (Node child : new ArrayList<>(top.childNodes())) article.appendChild(child);
        return article;
      }
      double topScore = scoreOf(top);
      double threshold = Math.max(10, topScore * 0.2);
      List<Element> story = new ArrayList<>();
      for (Element sibling : top.parent().children()) {
        boolean append = sibling == top;
        if (!append) {
          double bonus = !top.className().isEmpty() && sibling.className().equals(top.className())
              ? topScore * 0.2 : 0;
          if (scores.containsKey(sibling) && scoreOf(sibling) + bonus >= threshold) {
            append = true;
          } else if (sibling.normalName().equals("p")) {
            double density = linkDensity(sibling);
            String text = sibling.text();
            if (text.length() > 80 && density < 0.25) append = true;
            else if (text.length() < 80 && !text.isEmpty() && density == 0
                && SENTENCE_END.matcher(text).find()) {
              append = true;
            }
          }
        }
        if (append) story.add(sibling);
      }
      // The page is not read again, so its siblings are taken out all at once.
      detachChildren(top.parent());
      for (Element element : story) article.appendChild(element);
      return article;
    }

    /** Rule 6. */
    private void clean(Element article) {
      storyLength = article.text().length();
      if (rules.cleanConditionally) cleanConditionally(article, Set.of("form", "fieldset"));
      removeAll(article.select("footer, aside, link"));
      List<Element> shareBars = new ArrayList<>();
      for (Element child : article.children()) {
        for (Element element : child.getAllElements()) {
          if (element == child) continue;
          String match = element.className() + " " + element.id();
          if (SHARE.matcher(match).find() && element.text().length() < 500) shareBars.add(element);
        }
      }
      removeAll(shareBars);
      List<Element> headings = new ArrayList<>();
      for (Element heading : article.select("h1, h2")) {
        if (classWeight(heading) < 0) headings.add(heading);
      }
      removeAll(headings);
      if (rules.cleanConditionally) cleanConditionally(article, Set.of("table", "ul", "div"));
    }

    /**
     * Leaves out the elements of those names that look like furniture, innermost first: each
     * element is judged after what it holds was cleaned, and the children an element loses go in
     * one pass over its list of children.
     */
    private void cleanConditionally(Element article, Set<String> names) {
      record Visit(Element element, boolean childrenDone) {}
      Deque<Visit> stack = new ArrayDeque<>();
      stack.push(new Visit(article, false));
      while (!stack.isEmpty()) {
        deadline.check();
        Visit visit = stack.pop();
        Element element = visit.element();
        if (!visit.childrenDone()) {
          stack.push(new Visit(element, true));
          for (Element child : element.children()) stack.push(new Visit(child, false));
          continue;
        }
        List<Element> furniture = new ArrayList<>();
        for (Element child : element.children()) {
          if (names.contains(child.normalName()) && isFurniture(child)) furniture.add(child);
        }
        removeAll(furniture);
      }
    }

    private boolean isFurniture(Element element) {
      String name = element.normalName();
      boolean list = name.equals("ul") || name.equals("ol");
      if (name.equals("table") && isDataTable(element)) return false;
      if (element.closest("table") != element && element.closest("table") != null
          && isDataTable(element.closest("table"))) {
        return false;
      }
      if (element.closest("code") != null) return false;
      String text = element.text();
      if (!list && !text.isEmpty()) {
        int inLists = 0;
        for (Element inner : element.select("ul, ol")) {
          if (inner != element) inLists += inner.text().length();
        }
        list = (double) inLists / text.length() > 0.9;
      }
      int weight = classWeight(element);
      if (weight < 0) return true;
      double density = linkDensity(element);
      // What holds most of the story is the story, however many links it has, unless it is
      // mostly links: a list of them beside a short story is no part of it.
      if (text.length() * 2 > storyLength && density < 0.5) return false;
      if (text.split(",", -1).length - 1 >= 10) return false;
      int paragraphs = element.getElementsByTag("p").size();
      int images = element.getElementsByTag("img").size();
      int items = element.getElementsByTag("li").size() - 100;
      int inputs = element.getElementsByTag("input").size();
      int embeds = element.select("object, embed, iframe").size();
      double headingDensity = text.isEmpty() ? 0
          : (double) element.select("h1, h2, h3, h4, h5, h6").text().length() / text.length();
      boolean inFigure = element.closest("figure") != null;
      boolean remove = (images > 1 && (double) paragraphs / images < 0.5 && !inFigure)
          || (!list && items > paragraphs)
          || (inputs > paragraphs / 3)
          || (!list && headingDensity < 0.9 && text.length() < 25 && (images == 0 || images > 2)
              && !inFigure)
          || (!list && weight < 25 && density > 0.2)
          || (list && density > 0.8 && element.getElementsByTag("li").size() >= 3)
          || (weight >= 25 && density > 0.5)
          || (embeds == 1 && text.length() < 75) || embeds > 1;
      if (remove && list) {
        // A list of images, one to an item, stays.
        for (Element item : element.children()) {
          if (item.childrenSize() > 1) return true;
        }
        return images != element.getElementsByTag("li").size();
      }
      return remove;
    }

    private static boolean isDataTable(Element table) {
      if (table.attr("role").equals("presentation")) return false;
      if (table.attr("datatable").equals("0")) return false;
      if (table.hasAttr("summary")) return true;
      if (table.selectFirst("caption") != null) return true;
      if (table.selectFirst("col, colgroup, tfoot, thead, th") != null) return true;
      if (table.selectFirst("table") != null) return false;
      int rows = table.getElementsByTag("tr").size();
      int columns = 0;
      for (Element row : table.getElementsByTag("tr")) {
        columns = Math.max(columns, row.getElementsByTag("td").size());
      }
      return rows >= 10 || columns > 4 || rows * columns > 10;
    }
  }

  /**
   * A section of readers' comments, or one comment: a class or id of the comment words
   * ("comments", "comment-list", "comment_body_12", "post-comments", "disqus_thread",
   * "respond") that is not the page's body, main part or article, and holds no article.
   */
  static boolean isCommentSection(Element element) {
    String name = element.normalName();
    if (name.equals("body") || name.equals("main") || name.equals("article")
        || name.equals("html")) {
      return false;
    }
    boolean named = COMMENT_TOKEN.matcher(element.id()).matches();
    for (String token : element.className().split("\\s+")) {
      named |= COMMENT_TOKEN.matcher(token).matches();
    }
    return named && element.selectFirst("article, [itemprop=articleBody]") == null;
  }

  /**
   * What is never the story, in any reading: a post of another site embedded in the page (a
   * tweet, say), a picture's credit, and a label standing alone ("Advertisement",
   * "Print", "Continue reading the main story", a video's "1 Secs").
   */
  static boolean isNeverTheStory(Element element) {
    String name = element.normalName();
    String match = element.className() + " " + element.id();
    if (EMBEDDED_POST.matcher(match).find() || CREDIT.matcher(match).find()) return true;
    if (element.childrenSize() > 2 || !LABELLED.contains(name)) return false;
    String text = element.text();
    return text.length() < 60 && LABEL.matcher(text.trim()).matches();
  }

  private static final Set<String> LABELLED =
      Set.of("p", "div", "span", "li", "a", "h2", "h3", "h4", "h5", "h6", "small", "strong", "b");
  private static final Pattern EMBEDDED_POST = Pattern.compile(
      "twitter-tweet|twitter-timeline|instagram-media|tiktok-embed|fb-post|reddit-card",
      Pattern.CASE_INSENSITIVE);
  private static final Pattern CREDIT =
      Pattern.compile("(?:photo|image|img|picture)[-_]?credit", Pattern.CASE_INSENSITIVE);
  private static final Pattern LABEL = Pattern.compile(
      "advertisements?|advert|ad|sponsored(?: content)?|continue reading(?: the main story)?"
          + "|read more|print(?: this)?|e-?mail(?: this)?|more sharing|share(?: this)?(?: article"
          + "|story)?|tweet|\\d+\\s*secs?|you can skip this ad in \\d+ seconds\\.?"
          + "|skip ad|story highlights|comments powered by.*|(?:newsletter )?sign ?up(?: for (?:our|the)"
          + " newsletter)?|follow (?:us|@\\w+) on \\w+!?|like us on facebook!?"
          // A photo's credit standing alone: "(AP Photo/Jo Doe)", "(© Jo Doe)", "(Getty Images)".
          + "|\\([^()]*(?:\u00a9|/|photo|image|getty|reuters|press|afp|credit)[^()]*\\)",
      Pattern.CASE_INSENSITIVE);

  /**
   * A heading that opens what follows the story: the comments ("Comments", "12 Responses to
   * ...", "Leave a Reply"), the author's box ("About the author") or links to more ("Related
   * stories", "You might also like", "Most popular").
   */
  static boolean endsTheStory(Element heading) {
    String text = heading.text().trim();
    return text.length() < 120 && AFTER_THE_STORY.matcher(text).matches();
  }

  private static final Pattern AFTER_THE_STORY = Pattern.compile(
      "(?:\\d+|no|one|two|three)?\\s*(?:reader\\s+|user\\s+)?(?:comments?|responses?|replies"
          + "|thoughts)(?:\\s+(?:to|on)\\b.*)?\\s*:?|(?:leave|post|add|write)\\s+(?:a|your)\\s+"
          + "(?:reply|comment|response)\\b.*|join the (?:discussion|conversation)\\b.*"
          + "|about the authors?\\W*|related(?: stories| articles| posts| content| links| news)?:?"
          + "|you (?:might|may) (?:also )?like:?|(?:more )?recommended(?: for you| stories)?:?"
          + "|most (?:popular|read|viewed|shared)\\b.*|trending(?: now)?:?",
      Pattern.CASE_INSENSITIVE);

  private static final Pattern COMMENT_TOKEN = Pattern.compile(
      "(?:[a-z]+[-_])?(?:comments?|commentlist|disqus|respond|replies)(?:[-_]?[a-z]+)*(?:[-_]?\\d+)?",
      Pattern.CASE_INSENSITIVE);

  private static boolean hasAncestor(Element element, String name, int levels) {
    Element e = element.parent();
    for (int i = 0; e != null && i < levels; ++i, e = e.parent()) {
      if (e.normalName().equals(name)) return true;
    }
    return false;
  }

  /** The characters of an element's text, blanks and the text of its links left out. */
  static int proseLength(Element element) {
    int characters = nonBlank(element.text());
    for (Element link : element.getElementsByTag("a")) characters -= nonBlank(link.text());
    return Math.max(0, characters);
  }

  private static int nonBlank(String text) {
    int count = 0;
    for (int i = 0; i < text.length(); ++i) {
      if (!Character.isWhitespace(text.charAt(i))) ++count;
    }
    return count;
  }

  /** The share of the element's text that is link text; links to the page itself count less. */
  static double linkDensity(Element element) {
    int length = element.text().length();
    if (length == 0) return 0;
    double links = 0;
    for (Element link : element.getElementsByTag("a")) {
      double weight = link.attr("href").startsWith("#") ? 0.3 : 1;
      links += link.text().length() * weight;
    }
    return links / length;
  }

  private static final Pattern NON_WORD = Pattern.compile("[^\\p{L}\\p{N}_]+");
  private static final Pattern SEPARATOR = Pattern.compile(" [|\\-\\\\/>\u00bb\u2013\u2014] ");

  /**
   * How much of b is also in a: 1 less the share of b's words (by length) that a does not have.
   */
  static double similarity(String a, String b) {
    List<String> wordsA = words(a);
    List<String> wordsB = words(b);
    if (wordsA.isEmpty() || wordsB.isEmpty()) return 0;
    Set<String> inA = new java.util.HashSet<>(wordsA);
    List<String> onlyB = new ArrayList<>();
    for (String word : wordsB) if (!inA.contains(word)) onlyB.add(word);
    return 1 - (double) String.join(" ", onlyB).length() / String.join(" ", wordsB).length();
  }

  private static List<String> words(String text) {
    List<String> words = new ArrayList<>();
    for (String word : NON_WORD.split(text.toLowerCase(Locale.ROOT))) {
      if (!word.isEmpty()) words.add(word);
    }
    return words;
  }

  /**
   * The article's title as the page gives it: its title without the site's name after a
   * separator ("Story - Site"), or the page's one h1 where the title is very short or long.
   */
  static String articleTitle(Document page) {
    String original = page.title().trim();
    String title = original;
    java.util.regex.Matcher separator = SEPARATOR.matcher(original);
    int last = -1;
    int first = -1;
    while (separator.find()) {
      if (first < 0) first = separator.start();
      last = separator.start();
    }
    if (last >= 0) {
      title = original.substring(0, last);
      if (words(title).size() < 3) title = original.substring(first + 3);
    } else if (original.length() > 150 || original.length() < 15) {
      List<Element> h1 = page.getElementsByTag("h1");
      if (h1.size() == 1) title = h1.get(0).text();
    }
    title = title.trim().replaceAll("\\s+", " ");
    if (words(title).size() <= 4 && last < 0) title = original;
    return title;
  }

  /** Whether the element is a heading. */
  static boolean isHeading(Element element) {
    return HEADINGS.contains(element.normalName());
  }
}
