// SPDX-License-Identifier: GPL-3.0-or-later
#include "publishing/audio_tags.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/urllinkframe.h>
#include <taglib/wavfile.h>

#include <cstdlib>
#include <map>

namespace brevora {

namespace {

TagLib::String Utf8(const std::string& text) {
  return TagLib::String(text, TagLib::String::UTF8);
}

// Replaces the text frames of that id by one holding `text`.
void SetText(TagLib::ID3v2::Tag& tag, const char* id, const std::string& text) {
  tag.removeFrames(id);
  if (text.empty()) return;
  auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF8);
  frame->setText(Utf8(text));
  tag.addFrame(frame);
}

}  // namespace

bool WriteMp3Tags(const std::string& path, const AudioTags& tags) {
  TagLib::MPEG::File file(path.c_str(), false);
  if (!file.isValid()) return false;
  TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
  SetText(*tag, "TIT2", tags.title);
  SetText(*tag, "TPE1", tags.artist);
  SetText(*tag, "TPE2", tags.artist);
  SetText(*tag, "TALB", tags.album);
  SetText(*tag, "TRCK", tags.track > 0 ? std::to_string(tags.track) : std::string());
  SetText(*tag, "TDRC", tags.date);
  SetText(*tag, "TCON", "Podcast");
  tag->removeFrames("TLAN");
  if (const std::string language = Iso639Part2(tags.language); !language.empty()) {
    SetText(*tag, "TLAN", language);
  }
  tag->removeFrames("COMM");
  tag->removeFrames("WOAS");
  if (!tags.address.empty()) {
    auto* comment = new TagLib::ID3v2::CommentsFrame(TagLib::String::UTF8);
    comment->setLanguage("eng");
    comment->setText(Utf8(tags.address));
    tag->addFrame(comment);
    auto* source = new TagLib::ID3v2::UrlLinkFrame("WOAS");
    source->setUrl(Utf8(tags.address));
    tag->addFrame(source);
  }
  tag->removeFrames("APIC");
  if (!tags.coverPng.empty()) {
    auto* cover = new TagLib::ID3v2::AttachedPictureFrame;
    cover->setMimeType("image/png");
    cover->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    cover->setPicture(
        TagLib::ByteVector(tags.coverPng.data(), static_cast<unsigned>(tags.coverPng.size())));
    tag->addFrame(cover);
  }
  return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4);
}

bool WriteWavTags(const std::string& path, const AudioTags& tags) {
  TagLib::RIFF::WAV::File file(path.c_str(), false);
  if (!file.isValid()) return false;
  TagLib::RIFF::Info::Tag* info = file.InfoTag();
  info->setTitle(Utf8(tags.title));
  info->setArtist(Utf8(tags.artist));
  info->setAlbum(Utf8(tags.album));
  info->setGenre("Podcast");
  if (tags.track > 0) info->setTrack(static_cast<unsigned>(tags.track));
  const int year = tags.date.size() >= 4 ? std::atoi(tags.date.substr(0, 4).c_str()) : 0;
  if (year > 0) info->setYear(static_cast<unsigned>(year));
  return file.save(TagLib::RIFF::WAV::File::Info, TagLib::File::StripOthers);
}

int AudioSeconds(const std::string& path) {
  TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Accurate);
  if (file.isNull() || file.audioProperties() == nullptr) return -1;
  return (file.audioProperties()->lengthInMilliseconds() + 500) / 1000;
}

std::string Iso639Part2(const std::string& languageTag) {
  // The bibliographic codes ID3 names, for the languages the speech engine
  // reads most.
  static const std::map<std::string, std::string> codes = {
      {"af", "afr"}, {"ar", "ara"}, {"bg", "bul"}, {"bn", "ben"},  {"ca", "cat"}, {"cs", "cze"},
      {"cy", "wel"}, {"da", "dan"}, {"de", "ger"}, {"el", "gre"},  {"en", "eng"}, {"eo", "epo"},
      {"es", "spa"}, {"et", "est"}, {"eu", "baq"}, {"fa", "per"},  {"fi", "fin"}, {"fr", "fre"},
      {"ga", "gle"}, {"gl", "glg"}, {"gu", "guj"}, {"he", "heb"},  {"hi", "hin"}, {"hr", "hrv"},
      {"hu", "hun"}, {"hy", "arm"}, {"id", "ind"}, {"is", "ice"},  {"it", "ita"}, {"ja", "jpn"},
      {"ka", "geo"}, {"kn", "kan"}, {"ko", "kor"}, {"la", "lat"},  {"lt", "lit"}, {"lv", "lav"},
      {"mk", "mac"}, {"ml", "mal"}, {"mr", "mar"}, {"ms", "may"},  {"nb", "nob"}, {"ne", "nep"},
      {"nl", "dut"}, {"no", "nor"}, {"pa", "pan"}, {"pl", "pol"},  {"pt", "por"}, {"ro", "rum"},
      {"ru", "rus"}, {"sk", "slo"}, {"sl", "slv"}, {"sq", "alb"},  {"sr", "srp"}, {"sv", "swe"},
      {"sw", "swa"}, {"ta", "tam"}, {"te", "tel"}, {"th", "tha"},  {"tr", "tur"}, {"uk", "ukr"},
      {"ur", "urd"}, {"vi", "vie"}, {"zh", "chi"}, {"cmn", "chi"}, {"yue", "chi"}};
  std::string primary = languageTag.substr(0, languageTag.find('-'));
  for (char& c : primary) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  const auto found = codes.find(primary);
  return found == codes.end() ? std::string() : found->second;
}

}  // namespace brevora
