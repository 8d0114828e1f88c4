// SPDX-License-Identifier: GPL-3.0-or-later
import de.l3s.boilerpipe.extractors.ArticleExtractor;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.stream.Stream;

/** Boilerpipe's ArticleExtractor on every saved page: PAGES/NAME/source.html to OUT/NAME.txt. */
public final class BoilerpipeText {
  public static void main(String[] args) throws Exception {
    Path out = Path.of(args[1]);
    Files.createDirectories(out);
    try (Stream<Path> folders = Files.list(Path.of(args[0]))) {
      for (Path folder : (Iterable<Path>) folders::iterator) {
        Path source = folder.resolve("source.html");
        if (!Files.isRegularFile(source)) continue;
        String text;
        try {
          text = ArticleExtractor.INSTANCE.getText(Files.readString(source, StandardCharsets.UTF_8));
        } catch (Exception e) {
          text = "";
        }
        Files.writeString(out.resolve(folder.getFileName() + ".txt"), text, StandardCharsets.UTF_8);
      }
    }
  }
}
