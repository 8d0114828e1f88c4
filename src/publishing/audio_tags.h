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
};

// Writes an ID3v2.4 tag (title, artist, album artist, album, track, date,
// genre "Podcast", comment, WOAS, front cover) at the start of an MP3 file,
// replacing any tag it had; the audio frames stay as they are.
bool WriteMp3Tags(const std::string& path, const AudioTags& tags);

// Writes a LIST INFO chunk (title, artist, album, track, date, genre) into a
// WAV file.
bool WriteWavTags(const std::string& path, const AudioTags& tags);

// The length of an audio file in whole seconds (rounded); -1 when it cannot
// be read as audio.
int AudioSeconds(const std::string& path);

}  // namespace brevora
