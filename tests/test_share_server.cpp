// SPDX-License-Identifier: GPL-3.0-or-later
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <future>
#include <sstream>
#include <thread>

#include "fakes/temp_folder.h"
#include "platform/file_lock.h"
#include "publishing/podcast_feed.h"
#include "sharing/share_server.h"

namespace brevora {
namespace {

using testing::TempFolder;
using namespace std::chrono_literals;

constexpr char kToken[] = "abcdefghijklmnopqrstuvwxyz";

// A client socket that sends raw bytes, for what a well-behaved client never sends.
class RawClient {
 public:
  explicit RawClient(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawClient() { close(fd_); }
  bool Send(const std::string& bytes) const {
    return connected_ && send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                             static_cast<ssize_t>(bytes.size());
  }
  // Everything until the server closes the connection.
  std::string ReadToEnd() const {
    std::string all;
    char buffer[4096];
    ssize_t got;
    while ((got = recv(fd_, buffer, sizeof buffer, 0)) > 0) all.append(buffer, got);
    return all;
  }

 private:
  int fd_;
  bool connected_ = false;
};

// The executing folder of a published run, a file beside it that must never
// be served, and a server sharing it on a free port of 127.0.0.1.
class SharedFolder {
 public:
  explicit SharedFolder(ShareLimits limits = {}, std::string podcastAddress = {}) {
    executing = root.path() + "exec";
    root.Write("secret.txt", "outside");
    root.Write("exec/secret.txt", "beside Top");
    root.Write("exec/Top/index.html", "<html>index</html>");
    root.Write("exec/Top/.hidden.mp3", "hidden");
    root.Write("exec/Top/Demo/1 News.mp3.part", "being written");
    root.Write("exec/icons/brevora.png", "\x89PNG");
    for (int i = 0; i < 1000; ++i) audio += static_cast<char>(i * 7);
    root.Write("exec/Top/Demo/1 News.mp3", audio);
    root.Write("exec/Top/Demo/2 Weather.wav", "RIFF");
    ShareOptions options;
    options.executingFolder = executing;
    options.token = kToken;
    options.podcastAddress = std::move(podcastAddress);
    options.allInterfaces = false;
    options.port = 0;
    options.limits = limits;
    problem = server.Start(options);
    port = server.Port();
  }
  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(60, 0);
    return client;
  }
  std::string Raw(const std::string& request) const {
    RawClient raw(port);
    raw.Send(request);
    return raw.ReadToEnd();
  }

  TempFolder root;
  std::string executing, audio, problem;
  ShareServer server;
  int port = 0;
};

std::string StatusLine(const std::string& response) {
  return response.substr(0, response.find("\r\n"));
}

// Only the token's own addresses below Top and icons name files; every way
// of stepping out of them, hidden and half-written files, links planted
// under Top and wrong tokens are not found, and other methods are refused.
TEST(ShareServer, ServesOnlyPublishedFilesBelowTheToken) {
  SharedFolder shared;
  ASSERT_EQ(shared.problem, "");
  symlink((shared.root.path() + "secret.txt").c_str(),
          (shared.executing + "/Top/link.mp3").c_str());
  symlink(shared.root.path().c_str(), (shared.executing + "/Top/linked").c_str());

  httplib::Client client = shared.Client();
  auto index = client.Get("/abcdefghijklmnopqrstuvwxyz/index.html");
  ASSERT_TRUE(index);
  EXPECT_EQ(index->status, 200);
  EXPECT_EQ(index->body, "<html>index</html>");
  EXPECT_EQ(index->get_header_value("Content-Type"), "text/html; charset=utf-8");
  auto icon = client.Get("/abcdefghijklmnopqrstuvwxyz/icons/brevora.png");
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->status, 200);
  EXPECT_EQ(icon->get_header_value("Content-Type"), "image/png");
  auto sameIndex = client.Get("/abcdefghijklmnopqrstuvwxyz/Top/index.html");
  ASSERT_TRUE(sameIndex);
  EXPECT_EQ(sameIndex->body, "<html>index</html>");

  const std::string t = "/abcdefghijklmnopqrstuvwxyz/";
  for (const std::string& target :
       {t + "%2e%2e/secret.txt",
        t + "%2E%2E/%2e%2e/secret.txt",
        t + "..%2fsecret.txt",
        t + "%252e%252e/secret.txt",
        t + "..%5csecret.txt",
        t + "..\\secret.txt",
        t + "%c0%ae%c0%ae/secret.txt",
        t + "Demo/3%20Caf%C3.mp3",
        t + "Demo/3%20Caf%ED%A0%80.mp3",
        t + "%e0%80%ae%e0%80%ae/secret.txt",
        t + "Top/../secret.txt",
        t + "Demo/%2e%2e/%2E%2e/secret.txt",
        t + "Demo/%2e%2e%2f%2e%2e%2fsecret.txt",
        t + "Demo/x/%2e./%2e./.%2e/secret.txt",
        t + "Top/Demo/%2e%2e/%2e%2e/secret.txt",
        t + "icons/%2e%2e/secret.txt",
        t + "icons%2f..%2f..%2fsecret.txt",
        t + "Demo%2F%2e%2e%2F%2e%2e%2Fsecret.txt",
        t + "Demo/../../secret.txt",
        t + "./index.html",
        t + "index.html%00.png",
        t + ".hidden.mp3",
        t + "Demo/1%20News.mp3.part",
        t + ".Brevora.publish.lock",
        t + "link.mp3",
        t + "linked/secret.txt",
        t + "Demo",
        t + "Demo/",
        t + "Demo//1%20News.mp3",
        t + "secret.txt%2f",
        std::string("/secret.txt"),
        std::string("/abcdefghijklmnopqrstuvwxy2/index.html"),
        std::string("/ABCDEFGHIJKLMNOPQRSTUVWXYZ/index.html"),
        std::string("/abcdefghijklmnopqrstuvwxyz/../exec/secret.txt"),
        std::string("http://127.0.0.1/abcdefghijklmnopqrstuvwxyz/../secret.txt")}) {
    const std::string response =
        shared.Raw("GET " + target + " HTTP/1.1\r\nHost: x\r\n" + "Connection: close\r\n\r\n");
    EXPECT_EQ(StatusLine(response), "HTTP/1.1 404 Not Found") << target;
    EXPECT_EQ(response.find("outside"), std::string::npos) << target;
    EXPECT_EQ(response.find("beside Top"), std::string::npos) << target;
  }
  // A token that differs in any one place, or is one character short or long, opens nothing.
  std::vector<std::string> wrongTokens = {std::string(kToken).substr(1), std::string(kToken) + "a"};
  for (size_t i = 0; i < std::string(kToken).size(); ++i) {
    std::string token = kToken;
    token[i] = token[i] == '7' ? 'a' : '7';
    wrongTokens.push_back(token);
  }
  for (const std::string& token : wrongTokens) {
    const std::string response = shared.Raw(
        "GET /" + token + "/index.html HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(StatusLine(response), "HTTP/1.1 404 Not Found") << token;
  }
  auto post = client.Post("/abcdefghijklmnopqrstuvwxyz/index.html", "x", "text/plain");
  ASSERT_TRUE(post);
  EXPECT_EQ(post->status, 405);
  EXPECT_EQ(post->get_header_value("Allow"), "GET, HEAD");
}

// A podcast app seeks and resumes: ranges from the start, the middle and the
// end, a range past the end, HEAD, and a revalidation by ETag.
TEST(ShareServer, AnswersRangesHeadAndRevalidation) {
  SharedFolder shared;
  ASSERT_EQ(shared.problem, "");
  httplib::Client client = shared.Client();
  const std::string path = "/abcdefghijklmnopqrstuvwxyz/Demo/1%20News.mp3";

  auto whole = client.Get(path);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->status, 200);
  EXPECT_EQ(whole->body, shared.audio);
  EXPECT_EQ(whole->get_header_value("Content-Type"), "audio/mpeg");
  EXPECT_EQ(whole->get_header_value("Accept-Ranges"), "bytes");
  const std::string etag = whole->get_header_value("ETag");
  ASSERT_FALSE(etag.empty());
  const std::string modified = whole->get_header_value("Last-Modified");
  EXPECT_TRUE(modified.ends_with(" GMT") && modified.size() == 29) << modified;

  struct Case {
    const char* range;
    size_t first, length;
  };
  for (const Case& c : {Case{"bytes=0-99", 0, 100}, Case{"bytes=400-499", 400, 100},
                        Case{"bytes=-100", 900, 100}, Case{"bytes=990-5000", 990, 10}}) {
    auto part = client.Get(path, {{"Range", c.range}});
    ASSERT_TRUE(part);
    EXPECT_EQ(part->status, 206) << c.range;
    EXPECT_EQ(part->body, shared.audio.substr(c.first, c.length)) << c.range;
    EXPECT_EQ(
        part->get_header_value("Content-Range"),
        "bytes " + std::to_string(c.first) + "-" + std::to_string(c.first + c.length - 1) + "/1000")
        << c.range;
  }
  auto past = client.Get(path, {{"Range", "bytes=1000-"}});
  ASSERT_TRUE(past);
  EXPECT_EQ(past->status, 416);
  EXPECT_EQ(past->get_header_value("Content-Range"), "bytes */1000");

  auto head = client.Head(path);
  ASSERT_TRUE(head);
  EXPECT_EQ(head->status, 200);
  EXPECT_EQ(head->get_header_value("Content-Length"), "1000");
  EXPECT_EQ(head->body, "");

  auto unchanged = client.Get(path, {{"If-None-Match", etag}});
  ASSERT_TRUE(unchanged);
  EXPECT_EQ(unchanged->status, 304);
  EXPECT_EQ(unchanged->body, "");
  auto unmodified = client.Get(path, {{"If-Modified-Since", modified}});
  ASSERT_TRUE(unmodified);
  EXPECT_EQ(unmodified->status, 304);
  // Several ranges, or one the file has changed under (If-Range), get the whole file.
  for (const httplib::Headers& headers :
       {httplib::Headers{{"Range", "bytes=0-1,5-6"}},
        httplib::Headers{{"Range", "bytes=0-1"}, {"If-Range", "\"older\""}}}) {
    auto all = client.Get(path, headers);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->status, 200);
    EXPECT_EQ(all->body, shared.audio);
  }
  auto wav = client.Get("/abcdefghijklmnopqrstuvwxyz/Demo/2%20Weather.wav");
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->get_header_value("Content-Type"), "audio/wav");

  // A replaced file is a new one: the old ETag no longer matches.
  shared.root.Write("exec/Top/Demo/1 News.mp3", "new news, longer than before");
  auto replaced = client.Get(path, {{"If-None-Match", etag}});
  ASSERT_TRUE(replaced);
  EXPECT_EQ(replaced->status, 200);
  EXPECT_EQ(replaced->body, "new news, longer than before");
}

// The feed's addresses lead back to this server as the client reached it,
// whether the feed was written with relative addresses or for a podcast
// address of another server; the article's own link is kept.
TEST(ShareServer, ServedFeedsCarryTheServersOwnAddresses) {
  for (const std::string& podcastAddress : {std::string(), std::string("http://myserver/news/")}) {
    SharedFolder shared({}, podcastAddress);
    ASSERT_EQ(shared.problem, "");
    PodcastFeedInfo info;
    info.title = "Demo";
    info.selfPath = "Demo/podcast.xml";
    info.address = podcastAddress;
    PodcastArticle article;
    article.title = "News";
    article.url = "https://example.com/news";
    article.audioPath = "Demo/1 News.mp3";
    article.bytes = 1000;
    shared.root.Write("exec/Top/Demo/podcast.xml", PodcastFeed(info, {article}));

    httplib::Client client = shared.Client();
    auto feed = client.Get("/abcdefghijklmnopqrstuvwxyz/Demo/podcast.xml");
    ASSERT_TRUE(feed);
    EXPECT_EQ(feed->status, 200);
    EXPECT_EQ(feed->get_header_value("Content-Type"), "application/rss+xml; charset=utf-8");
    const std::string base =
        "http://127.0.0.1:" + std::to_string(shared.port) + "/abcdefghijklmnopqrstuvwxyz/";
    const std::string& body = feed->body;
    EXPECT_NE(body.find("<enclosure url=\"" + base + "Top/Demo/1%20News.mp3\""), std::string::npos)
        << body;
    EXPECT_NE(body.find("<itunes:image href=\"" + base + "icons/cover.png\""), std::string::npos)
        << body;
    EXPECT_NE(body.find("<atom:link href=\"" + base + "Top/Demo/podcast.xml\" rel=\"self\""),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("<link>" + base + "Top/Demo/Demo.html</link>"), std::string::npos) << body;
    EXPECT_NE(body.find("<link>https://example.com/news</link>"), std::string::npos) << body;
    EXPECT_EQ(std::to_string(body.size()), feed->get_header_value("Content-Length"));

    auto enclosure = client.Get("/abcdefghijklmnopqrstuvwxyz/Top/Demo/1%20News.mp3");
    ASSERT_TRUE(enclosure);
    EXPECT_EQ(enclosure->body, shared.audio);
  }
}

// While a run replaces the published files the server asks to come back
// later, and serves them again once the copy is done.
TEST(ShareServer, AnswersUnavailableWhileARunPublishes) {
  SharedFolder shared;
  ASSERT_EQ(shared.problem, "");
  httplib::Client client = shared.Client();
  {
    std::optional<FileLock> publishing =
        FileLock::Lock(shared.executing + "/.Brevora.publish.lock");
    ASSERT_TRUE(publishing);
    auto during = client.Get("/abcdefghijklmnopqrstuvwxyz/index.html");
    ASSERT_TRUE(during);
    EXPECT_EQ(during->status, 503);
    EXPECT_EQ(during->get_header_value("Retry-After"), "30");
    EXPECT_EQ(during->body.find("index"), std::string::npos);
  }
  auto after = client.Get("/abcdefghijklmnopqrstuvwxyz/index.html");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
}

// A port another program listens on is named in the message, and nothing
// is started; once it is free, sharing starts there.
TEST(ShareServer, TakenPortIsReported) {
  SharedFolder first;
  ASSERT_EQ(first.problem, "");
  ShareServer second;
  ShareOptions options;
  options.executingFolder = first.executing;
  options.token = kToken;
  options.allInterfaces = false;
  options.port = first.port;
  EXPECT_EQ(second.Start(options), "Port " + std::to_string(first.port) +
                                       " is in use by another program. Choose another port.");
  EXPECT_FALSE(second.Running());
  // Turned off and on again, after serving, the port is free at once.
  ASSERT_TRUE(first.Client().Get("/abcdefghijklmnopqrstuvwxyz/index.html"));
  first.server.Stop();
  EXPECT_EQ(second.Start(options), "");
  EXPECT_TRUE(second.Running());
}

// With every connection taken, the next client waits and is served as soon
// as one closes.
TEST(ShareServer, ConnectionBeyondTheLimitWaitsItsTurn) {
  ShareLimits limits;
  limits.connections = 32;
  limits.headSeconds = 120;  // the holders must outlast the test
  SharedFolder shared(limits);
  ASSERT_EQ(shared.problem, "");
  std::vector<std::unique_ptr<RawClient>> holders;
  for (int i = 0; i < 32; ++i) {
    holders.push_back(std::make_unique<RawClient>(shared.port));
    ASSERT_TRUE(holders.back()->Send("GET /abcdefghijklmnopqrstuvwxyz/index.html HTTP/1.1\r\n"));
  }
  for (auto deadline = std::chrono::steady_clock::now() + 60s;
       shared.server.OpenConnections() < 32 && std::chrono::steady_clock::now() < deadline;) {
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_EQ(shared.server.OpenConnections(), 32u);

  auto third = std::async(std::launch::async, [&shared] {
    auto response = shared.Client().Get("/abcdefghijklmnopqrstuvwxyz/index.html");
    return response ? response->body : std::string("no answer");
  });
  EXPECT_EQ(third.wait_for(300ms), std::future_status::timeout);
  EXPECT_EQ(shared.server.OpenConnections(), 32u);
  holders.front().reset();
  EXPECT_EQ(third.get(), "<html>index</html>");
}

// A client sending its request a byte a second is dropped once its ten
// seconds are over, while another client is served meanwhile.
TEST(ShareServer, SlowRequestHeadIsDroppedOthersServed) {
  SharedFolder shared;
  ASSERT_EQ(shared.problem, "");
  RawClient slow(shared.port);
  const auto started = std::chrono::steady_clock::now();
  auto dropped = std::async(std::launch::async, [&slow] {
    const std::string head = "GET /abcdefghijklmnopqrstuvwxyz/index.html HTTP/1.1\r\nHost: x\r\n";
    for (size_t i = 0; i < 120; ++i) {
      if (!slow.Send(head.substr(i % head.size(), 1))) break;
      std::this_thread::sleep_for(1s);
    }
    return slow.ReadToEnd();
  });
  auto other = shared.Client().Get("/abcdefghijklmnopqrstuvwxyz/index.html");
  ASSERT_TRUE(other);
  EXPECT_EQ(other->status, 200);
  const std::string answer = dropped.get();
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
  EXPECT_EQ(answer.find("index"), std::string::npos);
  EXPECT_GE(seconds.count(), 9.5);
  EXPECT_LT(seconds.count(), 60);
}

// Request heads over 8 KB are refused without an answer's body, and a
// client that stops reading a long answer frees its connection; stopping
// the server ends every connection.
TEST(ShareServer, OversizedHeadAndStalledReaderEndTheirConnections) {
  ShareLimits limits;
  limits.sendSeconds = 2;
  SharedFolder shared(limits);
  ASSERT_EQ(shared.problem, "");
  const std::string big =
      shared.Raw("GET /abcdefghijklmnopqrstuvwxyz/index.html HTTP/1.1\r\n" +
                 std::string("X-Filler: ") + std::string(9000, 'a') + "\r\n\r\n");
  EXPECT_EQ(big.find("index"), std::string::npos);
  EXPECT_NE(StatusLine(big), "HTTP/1.1 200 OK");

  shared.root.Write("exec/Top/big.mp3", std::string(64 << 20, 'x'));
  RawClient stalled(shared.port);
  ASSERT_TRUE(stalled.Send("GET /abcdefghijklmnopqrstuvwxyz/big.mp3 HTTP/1.1\r\nHost: x\r\n\r\n"));
  for (auto deadline = std::chrono::steady_clock::now() + 60s;
       shared.server.OpenConnections() == 0 && std::chrono::steady_clock::now() < deadline;) {
    std::this_thread::sleep_for(10ms);
  }
  for (auto deadline = std::chrono::steady_clock::now() + 60s;
       shared.server.OpenConnections() > 0 && std::chrono::steady_clock::now() < deadline;) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(shared.server.OpenConnections(), 0u);

  RawClient idle(shared.port);
  ASSERT_TRUE(idle.Send("GET /abc"));
  shared.server.Stop();
  EXPECT_FALSE(shared.server.Running());
  EXPECT_EQ(idle.ReadToEnd(), "");
}

// The protocol to the letter, as a strict client or a smuggler sees it: ranges
// that do not parse give the whole file, a 304 has no length, HTTP/1.1 needs
// a Host, a long target is refused, a request with a body or a bad request
// line ends its connection, "/TOKEN" leads to the index, whose links work.
TEST(ShareServer, ProtocolToTheLetter) {
  SharedFolder shared;
  ASSERT_EQ(shared.problem, "");
  const std::string t = "/abcdefghijklmnopqrstuvwxyz";
  const std::string get = "GET " + t + "/Demo/1%20News.mp3 HTTP/1.1\r\nHost: x\r\n";
  for (const char* range : {"items=0-9", "bytes = 0 - 9", "bytes=0 - 9", "bytes=10-5",
                            "bytes=1000000000000000000-2", "bytes=0-1,3-4"}) {
    const std::string whole = shared.Raw(get + "Range: " + range + "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(StatusLine(whole), "HTTP/1.1 200 OK") << range;
    EXPECT_TRUE(whole.ends_with("\r\n\r\n" + shared.audio)) << range;
  }
  const std::string past = shared.Raw(get + "Range: bytes=1000-1001\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(StatusLine(past), "HTTP/1.1 416 Range Not Satisfiable");
  EXPECT_NE(past.find("Content-Range: bytes */1000\r\n"), std::string::npos) << past;

  httplib::Client client = shared.Client();
  auto first = client.Get(t + "/Demo/1%20News.mp3");
  ASSERT_TRUE(first);
  const std::string unchanged = shared.Raw(
      get + "If-None-Match: " + first->get_header_value("ETag") + "\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(StatusLine(unchanged), "HTTP/1.1 304 Not Modified");
  EXPECT_EQ(unchanged.find("Content-Length"), std::string::npos) << unchanged;
  EXPECT_EQ(unchanged.find("Transfer-Encoding"), std::string::npos) << unchanged;
  EXPECT_TRUE(unchanged.ends_with("\r\n\r\n")) << unchanged;

  EXPECT_EQ(
      StatusLine(shared.Raw("GET " + t + "/index.html HTTP/1.1\r\nConnection: close\r\n\r\n")),
      "HTTP/1.1 400 Bad Request");
  EXPECT_EQ(StatusLine(shared.Raw("GET " + t + "/index.html HTTP/1.0\r\n\r\n")), "HTTP/1.1 200 OK");
  EXPECT_EQ(StatusLine(shared.Raw("GET " + t + "/" + std::string(8200, 'a') +
                                  " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")),
            "HTTP/1.1 414 URI Too Long");

  // What follows a request with a body, or a broken request line, is never
  // read as a request of its own: one answer, and the connection ends.
  const std::string next = "GET " + t + "/index.html HTTP/1.1\r\nHost: x\r\n\r\n";
  for (const std::string& first : {"GET " + t +
                                       "/index.html HTTP/1.1\r\nHost: x\r\ntransfer-ENCODING:"
                                       " chunked\r\n\r\n0\r\n\r\n",
                                   "GET " + t +
                                       "/index.html HTTP/1.1\r\nHost: x\r\nContent-Length:"
                                       " 3\r\n\r\nabc",
                                   std::string("NOT A REQUEST\r\n\r\n")}) {
    const std::string answers = shared.Raw(first + next);
    EXPECT_EQ(answers.find("HTTP/1.1", 1), std::string::npos) << answers;
  }

  const std::string moved =
      shared.Raw("GET " + t + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(StatusLine(moved), "HTTP/1.1 301 Moved Permanently");
  EXPECT_NE(moved.find("\r\nLocation: " + t + "/\r\n"), std::string::npos) << moved;
  shared.root.Write("exec/Top/index.html",
                    "<html><head><title>News</title></head><body><img src=\"../icons/brevora.png\">"
                    "<a href=\"Demo/Demo.html\">Demo</a></body></html>");
  auto index = client.Get(t + "/");
  ASSERT_TRUE(index);
  EXPECT_EQ(index->body,
            "<html><head>\n<base href=\"Top/\"><title>News</title></head><body><img "
            "src=\"../icons/brevora.png\"><a href=\"Demo/Demo.html\">Demo</a></body></html>");
  auto icon = client.Get(t + "/Top/../icons/brevora.png");  // where the base leads the icon
  EXPECT_TRUE(icon && icon->status == 404);
  auto viaBase = client.Get(t + "/icons/brevora.png");
  ASSERT_TRUE(viaBase);
  EXPECT_EQ(viaBase->status, 200);
}

// Nothing private leaves the computer: no page or index served names a file
// of the user's (the files on disk keep them), every answer asks for no
// referrer, and an ETag tells nothing of where the file lies on the disk.
TEST(ShareServer, NothingPrivateLeaves) {
  SharedFolder shared;
  ASSERT_EQ(shared.problem, "");
  const std::string page =
      "<li><b>Local</b> <a href=\"file:///home/jo/feeds/a.html\">source</a> <a href=\"/home/jo/b\">"
      "b</a> <a href=\"https://example.com/c\">c</a> <a href=\"Demo/1%20News.mp3\">d</a></li>";
  shared.root.Write("exec/Top/Demo/Demo.html", page);
  shared.root.Write("exec/Top/NewsXML.xml",
                    "<news><channel name=\"Local\" url=\"FILE:/home/jo/feeds/feed.xml\"><category "
                    "name=\"C\"><article><title>T</title><url>file:/home/jo/a.html</url></article>"
                    "</category></channel></news>");
  httplib::Client client = shared.Client();
  auto served = client.Get("/abcdefghijklmnopqrstuvwxyz/Demo/Demo.html");
  ASSERT_TRUE(served);
  EXPECT_EQ(served->body,
            "<li><b>Local</b> <a href=\"\">source</a> <a href=\"\">b</a> <a href=\"https://"
            "example.com/c\">c</a> <a href=\"Demo/1%20News.mp3\">d</a></li>");
  EXPECT_EQ(served->get_header_value("Referrer-Policy"), "no-referrer");
  auto index = client.Get("/abcdefghijklmnopqrstuvwxyz/NewsXML.xml");
  ASSERT_TRUE(index);
  EXPECT_EQ(index->body.find("/home/jo"), std::string::npos) << index->body;
  EXPECT_EQ(shared.root.Read("exec/Top/Demo/Demo.html"), page);
  auto missing = client.Get("/abcdefghijklmnopqrstuvwxyz/none.mp3");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->get_header_value("Referrer-Policy"), "no-referrer");

  struct stat status {};
  ASSERT_EQ(stat((shared.executing + "/Top/Demo/1 News.mp3").c_str(), &status), 0);
  auto audio = client.Get("/abcdefghijklmnopqrstuvwxyz/Demo/1%20News.mp3");
  ASSERT_TRUE(audio);
  std::string etag = audio->get_header_value("ETag");
  for (char& c : etag) c = std::isxdigit(static_cast<unsigned char>(c)) ? c : ' ';
  std::istringstream parts(etag);
  char hex[32];
  std::snprintf(hex, sizeof hex, "%llx", static_cast<unsigned long long>(status.st_ino));
  for (std::string part; parts >> part;) {
    EXPECT_NE(part, hex) << audio->get_header_value("ETag");
    EXPECT_NE(part, std::to_string(status.st_ino)) << audio->get_header_value("ETag");
  }
}

// This computer reaches a server shared with it alone on IPv6's loopback too.
TEST(ShareServer, LocalServerAnswersOnBothLoopbacks) {
  SharedFolder shared;
  ASSERT_EQ(shared.problem, "");
  const int fd = socket(AF_INET6, SOCK_STREAM, 0);
  sockaddr_in6 address{};
  address.sin6_family = AF_INET6;
  address.sin6_port = htons(static_cast<uint16_t>(shared.port));
  address.sin6_addr = in6addr_loopback;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    GTEST_SKIP() << "this machine has no IPv6 loopback";
  }
  const std::string request =
      "GET /abcdefghijklmnopqrstuvwxyz/index.html HTTP/1.1\r\nHost: [::1]\r\nConnection: "
      "close\r\n\r\n";
  ASSERT_EQ(send(fd, request.data(), request.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(request.size()));
  std::string answer;
  char buffer[4096];
  for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, got);
  close(fd);
  EXPECT_EQ(StatusLine(answer), "HTTP/1.1 200 OK");
  EXPECT_TRUE(answer.ends_with("<html>index</html>")) << answer;
}

}  // namespace
}  // namespace brevora
