// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.util.ArrayList;
import java.util.List;
import java.util.Locale;

/**
 * The rules of a robots.txt for one user agent: the group naming the agent, or else the group
 * "*". The longest matching Allow or Disallow prefix decides ("*" and a final "$" as usual); an
 * empty Disallow allows everything.
 */
final class Robots {
  private record Rule(String prefix, boolean allow) {}

  private final List<Rule> rules;

  private Robots(List<Rule> rules) {
    this.rules = rules;
  }

  static final Robots ALLOW_ALL = new Robots(List.of());

  static Robots parse(String text, String agent) {
    List<Rule> own = new ArrayList<>();
    List<Rule> any = new ArrayList<>();
    boolean ownFound = false;
    List<String> groupAgents = new ArrayList<>();
    List<Rule> groupRules = new ArrayList<>();
    boolean inRules = false;
    String lowerAgent = agent.toLowerCase(Locale.ROOT);
    for (String rawLine : (text + "\nuser-agent: \u0000end").split("\r?\n")) {
      String line = rawLine.replaceAll("#.*", "").trim();
      int colon = line.indexOf(':');
      if (colon < 0) continue;
      String key = line.substring(0, colon).trim().toLowerCase(Locale.ROOT);
      String value = line.substring(colon + 1).trim();
      if (key.equals("user-agent")) {
        if (inRules) {
          for (String named : groupAgents) {
            if (named.equals("*")) any.addAll(groupRules);
            else if (lowerAgent.contains(named)) {
              own.addAll(groupRules);
              ownFound = true;
            }
          }
          groupAgents.clear();
          groupRules.clear();
          inRules = false;
        }
        groupAgents.add(value.toLowerCase(Locale.ROOT));
      } else if (key.equals("allow") || key.equals("disallow")) {
        inRules = true;
        if (!value.isEmpty()) groupRules.add(new Rule(value, key.equals("allow")));
      }
    }
    return new Robots(ownFound ? own : any);
  }

  boolean allows(String pathAndQuery) {
    Rule best = null;
    for (Rule rule : rules) {
      if (matches(rule.prefix(), pathAndQuery)
          && (best == null || rule.prefix().length() > best.prefix().length()
              || (rule.prefix().length() == best.prefix().length() && rule.allow()))) {
        best = rule;
      }
    }
    return best == null || best.allow();
  }

  /**
   * Whether the path matches the rule's pattern: "*" stands for any run of characters, a final
   * "$" ties the pattern to the path's end, and without it the pattern is a prefix. Each piece
   * between stars is taken at its first place after the one before, which is where a match can
   * best go on, so nothing is tried twice and no pattern can take exponential time.
   */
  static boolean matches(String pattern, String path) {
    boolean anchored = pattern.endsWith("$");
    String body = anchored ? pattern.substring(0, pattern.length() - 1) : pattern;
    String[] pieces = body.split("\\*", -1);
    if (!path.startsWith(pieces[0])) return false;
    int at = pieces[0].length();
    if (pieces.length == 1) return !anchored || at == path.length();
    for (int i = 1; i < pieces.length - 1; ++i) {
      int found = path.indexOf(pieces[i], at);
      if (found < 0) return false;
      at = found + pieces[i].length();
    }
    String last = pieces[pieces.length - 1];
    if (!anchored) return path.indexOf(last, at) >= 0;
    return path.length() - last.length() >= at && path.endsWith(last);
  }
}
