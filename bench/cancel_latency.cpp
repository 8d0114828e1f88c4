// SPDX-License-Identifier: GPL-3.0-or-later
// How fast a cancel ends the conversion inside one long article, with the real
// speech engine and encoder:
//   cancel_latency [ARTICLE_KB [SECONDS_BEFORE_CANCEL]]
// Prints the time from the cancel to the end of the pass, for a cancel while
// the article is spoken (and encoded as it grows) and for one while it is
// encoded after its speaking.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "audio/audio_converter.h"
#include "speech/espeak_engine.h"

using namespace brevora;
using Clock = std::chrono::steady_clock;

namespace {

// Whether the speaker has finished the WAV file: it sets the data size last.
bool WavFinished(const std::string& path) {
  std::ifstream wav(path, std::ios::binary);
  char header[44] = {};
  return wav.read(header, sizeof header) &&
         (header[40] != 0 || header[41] != 0 || header[42] != 0 || header[43] != 0);
}

double Measure(CAudioConverter& converter, const std::string& top, double waitSeconds,
               bool duringEncoding) {
  converter.abortRequested = 0;
  const auto start = Clock::now();
  std::thread pass([&] { converter.ConvertFolder(top, "*.txt"); });
  if (duringEncoding) {
    // Wait until the WAV file is whole (its header has its sizes), then cancel.
    while (!WavFinished(top + "/long.wav")) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  } else {
    std::this_thread::sleep_for(std::chrono::duration<double>(waitSeconds));
  }
  const auto cancel = Clock::now();
  converter.abortRequested = 1;
  pass.join();
  const auto end = Clock::now();
  std::printf("  cancel after %.2f s: the pass ended %.3f s later\n",
              std::chrono::duration<double>(cancel - start).count(),
              std::chrono::duration<double>(end - cancel).count());
  return std::chrono::duration<double>(end - cancel).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int kilobytes = argc > 1 ? std::atoi(argv[1]) : 300;
  const double wait = argc > 2 ? std::atof(argv[2]) : 1.0;
  const std::string root = std::filesystem::temp_directory_path() / "brevora-cancel-latency";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root + "/Top");
  {
    std::ofstream article(root + "/Top/long.txt");
    const std::string sentence = "The council met on Monday and the vote on the budget was close. ";
    for (size_t written = 0; written < size_t(kilobytes) * 1024; written += sentence.size()) {
      article << sentence;
    }
  }
  auto engine = EspeakEngine::Create();
  if (!engine) return 1;
  CAudioConverter converter(root + "/Brevora.log");
  converter.speechVoice = engine.get();
  std::printf("article of %d KB, cancel while speaking:\n", kilobytes);
  Measure(converter, root + "/Top", wait, false);
  std::printf("cancel while encoding:\n");
  Measure(converter, root + "/Top", wait, true);
  std::filesystem::remove_all(root);
  return 0;
}
