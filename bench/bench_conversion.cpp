// SPDX-License-Identifier: GPL-3.0-or-later
// Speed and memory of the conversion pass over a corpus of news-like
// articles, with the real speech engine, resampler and encoder.
//
//   bench_conversion corpus DIR        writes the corpus (DIR/Top/...) and exits
//   bench_conversion pass DIR [THREADS] [languages]
//                                      converts DIR/Top to MP3 and reports;
//                                      THREADS encoding threads (1: the
//                                      sequential pass; default: one per core);
//                                      "languages": each article in its own
//                                      language's voice, planned first (the
//                                      planning is in the wall time)
//   bench_conversion detect            the language detection's time per
//                                      article of 5 KB, in twelve languages
//
// The corpus: 30 articles of 1.5 to 4 KB and one of 60 KB, the same every time.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/audio_converter.h"
#include "speech/article_language.h"
#include "speech/espeak_engine.h"

namespace fs = std::filesystem;
using brevora::CAudioConverter;

namespace {

const char* const kSubjects[] = {"The city council",
                                 "A spokesperson for the ministry",
                                 "Local farmers",
                                 "The central bank",
                                 "Researchers at the university",
                                 "Shares of AT&T",
                                 "The home team",
                                 "Weather forecasters",
                                 "The regional hospital",
                                 "Commuters"};
const char* const kVerbs[] = {"announced", "warned", "reported", "confirmed",
                              "expected",  "denied", "welcomed", "questioned"};
const char* const kObjects[] = {
    "a new budget for the coming year",      "delays on the northern line",
    "a rise of 2.5 percent in prices",       "heavy rain across the valley on Tuesday",
    "plans to expand the harbour by 2030",   "a record harvest after a dry summer",
    "that the index closed at 4,812 points", "talks with the union over wages"};

struct Random {
  unsigned long long state;
  unsigned Next(unsigned bound) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>((state >> 33) % bound);
  }
};

std::string Article(Random& random, size_t bytes) {
  std::string text;
  while (text.size() < bytes) {
    text += kSubjects[random.Next(10)];
    text += ' ';
    text += kVerbs[random.Next(8)];
    text += ' ';
    text += kObjects[random.Next(8)];
    text += random.Next(5) == 0 ? "; officials said more would follow. " : ". ";
    if (random.Next(6) == 0) text += "\n\n";
  }
  return text;
}

void WriteCorpus(const fs::path& folder) {
  Random random{20261207};
  for (int i = 0; i < 30; ++i) {
    const fs::path file = folder / "Top" / ("section" + std::to_string(i % 5)) /
                          ("article" + std::to_string(i) + ".txt");
    fs::create_directories(file.parent_path());
    std::ofstream(file) << Article(random, 1500 + random.Next(2500));
  }
  fs::create_directories(folder / "Top" / "long");
  std::ofstream(folder / "Top" / "long" / "feature.txt") << Article(random, 60 * 1024);
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Audio seconds of the MP3 files below the folder: 576 samples a frame at 16 kHz.
double AudioSeconds(const fs::path& folder) {
  double seconds = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() != ".mp3") continue;
    // 24 kbit/s: 108 or 109 bytes a frame.
    seconds += static_cast<double>(entry.file_size()) / 108.0 * 576 / 16000;
  }
  return seconds;
}

// Each article's voice and language, as a run plans them.
void PlanLanguages(CAudioConverter& converter, brevora::SpeechEngine& engine,
                   const fs::path& folder) {
  std::vector<brevora::ArticleToSpeak> articles;
  const fs::path top = folder / "Top";
  for (const auto& entry : fs::recursive_directory_iterator(top)) {
    if (entry.path().extension() != ".txt") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    articles.push_back({entry.path().lexically_relative(top).generic_string(), text, ""});
  }
  const brevora::VoicePlan plan =
      brevora::PlanArticleVoices(articles, engine.Voices(), {"", "en-gb", "en-gb", {}});
  converter.SetArticleVoices(plan.voices);
  converter.SetArticleLanguages(plan.languages);
}

int Detect() {
  const char* const samples[] = {
      "The city council met on Tuesday evening and agreed on a new budget for the schools. ",
      "Le conseil municipal s'est réuni mardi soir et a adopté un nouveau budget pour les écoles. ",
      "Der Stadtrat hat am Dienstagabend getagt und einen neuen Haushalt beschlossen. ",
      "El ayuntamiento se reunió el martes por la noche y aprobó un nuevo presupuesto. ",
      "Il consiglio comunale si è riunito martedì sera e ha approvato un nuovo bilancio. ",
      "A câmara municipal reuniu-se na terça-feira à noite e aprovou um novo orçamento. ",
      "De gemeenteraad kwam dinsdagavond bijeen en keurde een nieuwe begroting goed. ",
      "Rada miasta zebrała się we wtorek wieczorem i przyjęła nowy budżet dla szkół. ",
      "Городской совет собрался во вторник вечером и утвердил новый бюджет для школ. ",
      "Belediye meclisi salı akşamı toplandı ve okullar için yeni bir bütçeyi onayladı. ",
      "市议会星期二晚上召开会议，通过了学校的新预算。",
      "اجتمع مجلس المدينة مساء الثلاثاء ووافق على ميزانية جديدة للمدارس. "};
  constexpr int kRounds = 2000;
  double total = 0;
  for (const char* sample : samples) {
    std::string text;
    while (text.size() < 5000) text += sample;
    const auto start = std::chrono::steady_clock::now();
    std::string code;
    for (int i = 0; i < kRounds; ++i) code = brevora::DetectLanguage(text).code;
    const double each =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRounds;
    total += each;
    std::printf("%-4s %8.1f us per 5 KB article\n", code.c_str(), each * 1e6);
  }
  std::printf("mean %8.1f us per 5 KB article\n", total / std::size(samples) * 1e6);
  return 0;
}

int Pass(const fs::path& folder, unsigned threads, bool languages) {
  auto engine = brevora::EspeakEngine::Create();
  if (!engine) {
    std::fprintf(stderr, "the speech engine cannot start\n");
    return 1;
  }
  CAudioConverter converter((folder / "Brevora.log").string());
  converter.SetOutputFormat("mp3");
  converter.SetEncoderThreads(threads);
  const double cpuBefore = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  if (languages) PlanLanguages(converter, *engine, folder);
  const int result = converter.ConvertAll(engine.get(), "", folder.string());
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuBefore;
  const double audio = AudioSeconds(folder / "Top");
  const auto& times = converter.times;
  struct {
    double synthesis, resampling, wavWriting, encoding;
  } t{times.synthesis.seconds, times.resampling.seconds, times.wavWriting.seconds,
      times.encoding.seconds};
  const double stages = t.synthesis + t.resampling + t.wavWriting + t.encoding;
  std::printf("result %d\n", result);
  std::printf("encoding threads    %8u\n", converter.EncoderThreads());
  std::printf("wall seconds        %8.3f\n", wall);
  std::printf("cpu seconds         %8.3f\n", cpu);
  // Below the number of threads at work when they wait for each other, or
  // when the machine gives the process less than whole cores.
  std::printf("cores kept busy     %8.2f\n", cpu / wall);
  std::printf("audio seconds       %8.1f\n", audio);
  std::printf("audio s per cpu s   %8.1f\n", audio / cpu);
  std::printf("cpu s per audio s   %8.5f\n", cpu / audio);
  // Busy time of each stage, summed over the threads that work in it; with
  // several encoding threads the shares of the wall time add up to more than
  // 100%.
  std::printf("synthesis           %8.3f s  %5.1f%%\n", t.synthesis, 100 * t.synthesis / wall);
  std::printf("resampling          %8.3f s  %5.1f%%\n", t.resampling, 100 * t.resampling / wall);
  std::printf("wav writing         %8.3f s  %5.1f%%\n", t.wavWriting, 100 * t.wavWriting / wall);
  std::printf("encoding (wav read, encode, mp3 write) %8.3f s  %5.1f%%\n", t.encoding,
              100 * t.encoding / wall);
  std::printf("stages summed      %8.3f s  %5.1f%% of the wall time\n", stages,
              100 * stages / wall);
  std::printf("peak memory         %8.1f MB\n", PeakKilobytes() / 1024.0);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "corpus") {
    WriteCorpus(argv[2]);
    return 0;
  }
  if (argc == 2 && std::string(argv[1]) == "detect") return Detect();
  if (argc >= 3 && argc <= 5 && std::string(argv[1]) == "pass") {
    return Pass(argv[2], argc >= 4 ? static_cast<unsigned>(std::atoi(argv[3])) : 0,
                argc == 5 && std::string(argv[4]) == "languages");
  }
  std::fprintf(stderr,
               "usage: bench_conversion corpus DIR | pass DIR [THREADS] [languages] | detect\n");
  return 2;
}
