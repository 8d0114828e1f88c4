// SPDX-License-Identifier: GPL-3.0-or-later
package org.tidewire;

import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.Charset;
import java.nio.charset.CodingErrorAction;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.mozilla.universalchardet.UniversalDetector;

/**
 * The text of a fetched document, in the charset it is written in:
 *
 * <ol>
 *   <li>a byte order mark decides;
 *   <li>without one, the zero bytes of UTF-16 or UTF-32 text show it ("<" as 00 3C, 3C 00 ...);
 *   <li>else the first charset named by the answer's header, the XML prolog or an HTML meta tag
 *       that decodes the bytes cleanly and leaves their markup markup: a name of UTF-16 or UTF-32
 *       on bytes that are neither (a page that says "utf-16" in ASCII), or of any charset that
 *       would turn the document's first "<" into something else, loses to the bytes, as it does
 *       in browsers. Named UTF-8 whose well-formed sequences outnumber its stray bytes stays
 *       UTF-8: one bad byte does not make a page of another charset;
 *   <li>else UTF-8 when the bytes are clean UTF-8; else the charset the bytes suggest (by the
 *       statistics of each language's encodings, over the whole document); else Windows-1252.
 * </ol>
 *
 * Text said to be ISO-8859-1 (or ASCII) that holds the bytes 80-9F is read as Windows-1252, as
 * browsers read it: those bytes are quotes and dashes there, and nothing printable in Latin-1.
 * Bytes that do not decode are left out.
 */
final class Charsets {
  private Charsets() {}

  private static final int SNIFF_BYTES = 4096;
  private static final Pattern PROLOG = Pattern.compile(
      "^\\s*<\\?xml[^>]*?encoding\\s*=\\s*[\"']\\s*([A-Za-z0-9._:-]+)", Pattern.CASE_INSENSITIVE);
  private static final Pattern META = Pattern.compile(
      "<meta[^>]+?charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9._:-]+)", Pattern.CASE_INSENSITIVE);
  private static final Charset WINDOWS_1252 = Charset.forName("windows-1252");

  /** The bytes as text; `declared` is the charset of the answer's header (may be null). */
  static String decode(byte[] bytes, String declared) {
    return decode(bytes, declared, null);
  }

  /**
   * The bytes as text, with the name of the charset used added to `used` when it is not null.
   */
  static String decode(byte[] bytes, String declared, List<String> used) {
    Charset charset = charsetOf(bytes, declared);
    if (used != null) used.add(charset.name());
    int skip = bomLength(bytes);
    String text = new String(bytes, skip, bytes.length - skip, charset);
    return text.indexOf('\uFFFD') < 0 ? text : text.replace("\uFFFD", "");
  }

  static Charset charsetOf(byte[] bytes, String declared) {
    Charset bom = byBom(bytes);
    if (bom != null) return bom;
    Charset wide = byZeroBytes(bytes);
    if (wide != null) return wide;
    for (String name : namedCharsets(bytes, declared)) {
      Charset charset = known(name);
      if (charset == null || isWide(charset) || !keepsMarkup(bytes, charset)) continue;
      if (isLatin1(charset) && hasC1Bytes(bytes)) charset = WINDOWS_1252;
      if (decodesCleanly(bytes, charset)) return charset;
      if (charset.equals(StandardCharsets.UTF_8) && mostlyUtf8(bytes)) return charset;
    }
    if (decodesCleanly(bytes, StandardCharsets.UTF_8)) return StandardCharsets.UTF_8;
    Charset detected = detected(bytes);
    if (detected != null) return isLatin1(detected) ? WINDOWS_1252 : detected;
    return WINDOWS_1252;
  }

  /** The charsets the header and the document itself name, in that order. */
  private static List<String> namedCharsets(byte[] bytes, String declared) {
    List<String> names = new ArrayList<>();
    if (declared != null && !declared.isBlank()) names.add(declared.trim());
    String head = new String(bytes, 0, Math.min(bytes.length, SNIFF_BYTES),
        StandardCharsets.ISO_8859_1);
    Matcher prolog = PROLOG.matcher(head);
    if (prolog.find()) names.add(prolog.group(1));
    Matcher meta = META.matcher(head);
    if (meta.find()) names.add(meta.group(1));
    return names;
  }

  private static Charset known(String name) {
    try {
      String lower = name.toLowerCase(Locale.ROOT);
      // Names that pages use for charsets Java knows by another name.
      if (lower.equals("gb2312") || lower.equals("gbk")) return Charset.forName("GB18030");
      return Charset.isSupported(name) ? Charset.forName(name) : null;
    } catch (IllegalArgumentException e) {
      return null;
    }
  }

  /** UTF-16 and UTF-32, which bytes without their zero bytes or mark cannot be. */
  private static boolean isWide(Charset charset) {
    String name = charset.name().toUpperCase(Locale.ROOT);
    return name.startsWith("UTF-16") || name.startsWith("UTF-32") || name.startsWith("X-UTF-16")
        || name.startsWith("X-UTF-32");
  }

  /** Whether the document's first "<" (its first markup) stays "<" in the charset. */
  private static boolean keepsMarkup(byte[] bytes, Charset charset) {
    int first = -1;
    for (int i = 0; i < Math.min(bytes.length, SNIFF_BYTES) && first < 0; ++i) {
      if (bytes[i] == '<') first = i;
    }
    if (first < 0) return true;
    String head = new String(bytes, 0, first + 1, charset);
    return head.endsWith("<");
  }

  /**
   * Whether the bytes' well-formed UTF-8 sequences of two or more bytes outnumber the bytes that
   * are no part of one.
   */
  static boolean mostlyUtf8(byte[] bytes) {
    int good = 0;
    int bad = 0;
    for (int i = 0; i < bytes.length; ) {
      int b = bytes[i] & 0xff;
      int length = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3
          : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
      boolean whole = length > 0 && i + length <= bytes.length;
      for (int k = 1; whole && k < length; ++k) whole = (bytes[i + k] & 0xC0) == 0x80;
      if (length == 1) {
        ++i;
      } else if (whole) {
        ++good;
        i += length;
      } else {
        ++bad;
        ++i;
      }
    }
    return good > bad;
  }

  private static boolean isLatin1(Charset charset) {
    return charset.equals(StandardCharsets.ISO_8859_1) || charset.equals(StandardCharsets.US_ASCII);
  }

  private static boolean hasC1Bytes(byte[] bytes) {
    for (byte b : bytes) {
      int value = b & 0xff;
      if (value >= 0x80 && value <= 0x9f) return true;
    }
    return false;
  }

  static boolean decodesCleanly(byte[] bytes, Charset charset) {
    int skip = bomLength(bytes);
    try {
      charset.newDecoder().onMalformedInput(CodingErrorAction.REPORT)
          .onUnmappableCharacter(CodingErrorAction.REPORT)
          .decode(ByteBuffer.wrap(bytes, skip, bytes.length - skip));
      return true;
    } catch (CharacterCodingException e) {
      return false;
    }
  }

  private static Charset byBom(byte[] b) {
    if (startsWith(b, 0x00, 0x00, 0xFE, 0xFF)) return Charset.forName("UTF-32BE");
    if (startsWith(b, 0xFF, 0xFE, 0x00, 0x00)) return Charset.forName("UTF-32LE");
    if (startsWith(b, 0xEF, 0xBB, 0xBF)) return StandardCharsets.UTF_8;
    if (startsWith(b, 0xFE, 0xFF)) return StandardCharsets.UTF_16BE;
    if (startsWith(b, 0xFF, 0xFE)) return StandardCharsets.UTF_16LE;
    return null;
  }

  private static int bomLength(byte[] b) {
    if (startsWith(b, 0x00, 0x00, 0xFE, 0xFF) || startsWith(b, 0xFF, 0xFE, 0x00, 0x00)) return 4;
    if (startsWith(b, 0xEF, 0xBB, 0xBF)) return 3;
    if (startsWith(b, 0xFE, 0xFF) || startsWith(b, 0xFF, 0xFE)) return 2;
    return 0;
  }

  /** UTF-16 or UTF-32 without a mark, by where its first characters have zero bytes. */
  private static Charset byZeroBytes(byte[] b) {
    int n = Math.min(b.length, 64) & ~3;
    if (n < 4) return null;
    int[] zeros = new int[4];
    for (int i = 0; i < n; ++i) if (b[i] == 0) ++zeros[i % 4];
    int quarter = n / 4;
    if (zeros[0] == quarter && zeros[1] == quarter && zeros[2] == quarter && zeros[3] == 0) {
      return Charset.forName("UTF-32BE");
    }
    if (zeros[0] == 0 && zeros[1] == quarter && zeros[2] == quarter && zeros[3] == quarter) {
      return Charset.forName("UTF-32LE");
    }
    int evenZeros = zeros[0] + zeros[2];
    int oddZeros = zeros[1] + zeros[3];
    if (evenZeros >= n / 2 * 3 / 4 && oddZeros == 0) return StandardCharsets.UTF_16BE;
    if (oddZeros >= n / 2 * 3 / 4 && evenZeros == 0) return StandardCharsets.UTF_16LE;
    return null;
  }

  private static boolean startsWith(byte[] bytes, int... prefix) {
    if (bytes.length < prefix.length) return false;
    for (int i = 0; i < prefix.length; ++i) if ((bytes[i] & 0xff) != prefix[i]) return false;
    return true;
  }

  /** The charset the bytes suggest, when one is suggested and this runtime has it. */
  private static Charset detected(byte[] bytes) {
    UniversalDetector detector = new UniversalDetector(null);
    detector.handleData(bytes, 0, bytes.length);
    detector.dataEnd();
    String name = detector.getDetectedCharset();
    return name == null ? null : known(name);
  }
}
