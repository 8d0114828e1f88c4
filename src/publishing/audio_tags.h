// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace brevora {

// What an audio file's tags say of it.
struct AudioTags {
  std::string title;
  std::string artist;  // the channel; also the album artist
  std::string album;   // "CHANNEL - CATEGORY"
  int track = 0;
  std::string date;      // "2026-12-08"
  std::string address;   // the article's address: the comment and WOAS
  std::string coverPng;  // the bytes of a PNG picture; empty for none
  std::string language;  // the article's ("fr-CA"); empty when unknown
};

// The ISO 639-2 code of a language tag's primary language, as ID3's TLAN
// wants it ("fr-CA" gives "fre"); empty for a language it does not know.
std::string Iso639Part2(const std::string& languageTag);

// Writes an ID3v2.4 tag (title, artist, album artist, album, track, date,
// genre "Podcast", language, comment, WOAS, front cover) at the start of an MP3 file,
// replacing any tag it had; the audio frames stay as they are.
bool WriteMp3Tags(const std::string& path, const AudioTags& tags);

// Writes a LIST INFO chunk (title, artist, album, track, date, genre) into a
// WAV file.
bool WriteWavTags(const std::string& path, const AudioTags& tags);

// The length of an audio file in whole seconds (rounded); -1 when it cannot
// be read as audio.
int AudioSeconds(const std::string& path);

}  // namespace brevora
