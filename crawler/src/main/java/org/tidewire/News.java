package org.tidewire;

import java.util.ArrayList;
import java.util.List;

/** What a run found: channels, their categories and the articles of each, in order. */
final class News {
  private News() {}

  record Article(String title, String url, String date, String text) {}

  static final class Category {
    final String name;
    final List<Article> articles = new ArrayList<>();

    Category(String name) {
      this.name = name;
    }
  }

  static final class Channel {
    final String name;
    final String url;
    final List<Category> categories = new ArrayList<>();

    Channel(String name, String url) {
      this.name = name;
      this.url = url;
    }
  }
}
