// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

/**
 * The time by which work on one document must end, checked as the work goes: reading a page's
 * story counts against the document's time as its fetching does, so that no page, however made,
 * holds its channel longer than that.
 */
final class Deadline {
  /** Thrown where the work runs past its deadline; what it made so far is not kept. */
  static final class Exceeded extends RuntimeException {
    private static final long serialVersionUID = 1L;

    Exceeded() {
      super("its text was not read within the time limit of a document", null, false, false);
    }
  }

  static final Deadline NONE = new Deadline(Long.MAX_VALUE, false);

  private final long end;
  private final boolean bounded;
  private int checks;

  private Deadline(long end, boolean bounded) {
    this.end = end;
    this.bounded = bounded;
  }

  /** A deadline at the System.nanoTime() value given. */
  static Deadline at(long nanoTime) {
    return new Deadline(nanoTime, true);
  }

  /** Throws Exceeded once the deadline has passed; the clock is read every 1024th call. */
  void check() {
    if (bounded && (++checks & 1023) == 0 && System.nanoTime() - end > 0) throw new Exceeded();
  }
}
