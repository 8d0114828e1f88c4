#include "sharing/share_server.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/file_below.h"
#include "platform/file_lock.h"
#include "platform/network.h"
#include "run/command_line.h"
#include "sharing/share_rules.h"

namespace brevora {

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kPlainText[] = "text/plain; charset=utf-8";
constexpr std::size_t kChunk = 64 * 1024;

// A fixed number of threads, one per connection; while all are busy the
// accepting thread waits, and further clients wait to be accepted.
class ConnectionPool final : public httplib::TaskQueue {
 public:
  explicit ConnectionPool(std::size_t size) : size_(size) {
    for (std::size_t i = 0; i < size; ++i) workers_.emplace_back([this] { Work(); });
  }

  void enqueue(std::function<void()> job) override {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return busy_ < size_ || shutdown_; });
    ++busy_;
    jobs_.push_back(std::move(job));
    work_.notify_one();
  }

  void shutdown() override {
    {
      std::lock_guard lock(mutex_);
      shutdown_ = true;
    }
    work_.notify_all();
    room_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }

 private:
  void Work() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock lock(mutex_);
        work_.wait(lock, [&] { return !jobs_.empty() || shutdown_; });
        if (jobs_.empty()) return;  // shut down with nothing left to close
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      job();
      {
        std::lock_guard lock(mutex_);
        --busy_;
      }
      room_.notify_one();
    }
  }

  const std::size_t size_;
  std::mutex mutex_;
  std::condition_variable work_, room_;
  std::deque<std::function<void()>> jobs_;
  std::vector<std::thread> workers_;
  std::size_t busy_ = 0;
  bool shutdown_ = false;
};

// One client's socket as the HTTP library reads and writes it, with the
// limits on the request head (bytes and time) and on a client that stops
// taking the answer.
class ConnectionStream final : public httplib::Stream {
 public:
  ConnectionStream(int fd, const ShareLimits& limits) : io_(fd), limits_(limits) {}

  // Waits for the first byte of the next request, at most `seconds`.
  bool AwaitRequest(long seconds) const {
    return start_ < end_ || io_.WaitReadable(seconds * 1000);
  }
  void BeginRequest() {
    deadline_ = Clock::now() + std::chrono::seconds(limits_.headSeconds);
    delivered_ = 0;
  }

  bool is_readable() const override { return start_ < end_ || io_.WaitReadable(Remaining()); }
  bool is_writable() const override { return true; }  // write waits for room itself

  ssize_t read(char* data, std::size_t size) override {
    if (start_ == end_) {
      if (!io_.WaitReadable(Remaining())) return -1;
      const ssize_t got = io_.Receive(buffer_, sizeof buffer_);
      if (got <= 0) return got;
      start_ = 0;
      end_ = static_cast<std::size_t>(got);
    }
    const std::size_t count = std::min(size, end_ - start_);
    if (delivered_ + count > limits_.headBytes) return -1;
    std::memcpy(data, buffer_ + start_, count);
    start_ += count;
    delivered_ += count;
    return static_cast<ssize_t>(count);
  }

  ssize_t write(const char* data, std::size_t size) override {
    return io_.Send(data, size, limits_.sendSeconds * 1000);
  }
  void get_remote_ip_and_port(std::string& address, int& port) const override {
    io_.Endpoint(false, address, port);
  }
  void get_local_ip_and_port(std::string& address, int& port) const override {
    io_.Endpoint(true, address, port);
  }
  socket_t socket() const override { return io_.Descriptor(); }

 private:
  long Remaining() const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
    return left > 0 ? static_cast<long>(left) : 0;
  }

  SocketIo io_;
  const ShareLimits& limits_;
  Clock::time_point deadline_ = Clock::now();
  std::size_t delivered_ = 0;
  char buffer_[4096];
  std::size_t start_ = 0, end_ = 0;
};

// What an answer's body is read from.
struct Body {
  std::shared_ptr<const ReadOnlyFile> file;
  std::shared_ptr<const std::string> text;
  std::uint64_t Size() const { return file ? file->Size() : text->size(); }
};

}  // namespace

class ShareServer::Impl final : public httplib::Server {
 public:
  explicit Impl(ShareOptions options)
      : options_(std::move(options)), lockPath_(options_.executingFolder + "/" + kPublishLockName) {
    const std::size_t connections = std::max<std::size_t>(1, options_.limits.connections);
    new_task_queue = [connections] { return new ConnectionPool(connections); };
    set_address_family(AF_INET);
    // What the Keep-Alive header announces is what the connection loop does.
    set_keep_alive_max_count(options_.limits.requestsPerConnection);
    set_keep_alive_timeout(options_.limits.idleSeconds);
    set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
      Answer(request, response);
      return HandlerResponse::Handled;
    });
  }

  // Closes every connection that is open, and any that opens from now on.
  void CloseConnections() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (const int fd : open_) ShutdownSocket(fd);
  }

  std::size_t OpenConnections() const {
    std::lock_guard lock(mutex_);
    return open_.size();
  }

 private:
  bool process_and_close_socket(socket_t sock) override {
    {
      std::lock_guard lock(mutex_);
      if (!stopping_) open_.insert(sock);
    }
    Serve(sock);
    {
      std::lock_guard lock(mutex_);
      open_.erase(sock);
    }
    ShutdownSocket(sock);
    close(sock);
    return true;
  }

  void Serve(int sock) {
    const ShareLimits& limits = options_.limits;
    ConnectionStream stream(sock, limits);
    bool closeAfter = false;
    // A request with a body is answered and the connection closed, so that
    // the body is never read as a request.
    const auto setup = [&closeAfter](httplib::Request& request) {
      request.ranges.clear();  // ranges are answered here, not by the library
      if (request.has_header("Content-Length") || request.has_header("Transfer-Encoding")) {
        closeAfter = true;
        request.headers.erase("Connection");
        request.headers.emplace("Connection", "close");
      }
    };
    for (std::size_t n = 0; n < limits.requestsPerConnection; ++n) {
      {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
      }
      if (!stream.AwaitRequest(n == 0 ? limits.headSeconds : limits.idleSeconds)) return;
      stream.BeginRequest();
      bool closedByClient = false;
      const bool last = n + 1 == limits.requestsPerConnection;
      if (!process_request(stream, last, closedByClient, setup) || closedByClient || closeAfter) {
        return;
      }
    }
  }

  void Answer(const httplib::Request& request, httplib::Response& response) {
    if (request.method != "GET" && request.method != "HEAD") {
      response.status = 405;
      response.set_header("Allow", "GET, HEAD");
      response.set_content("Only GET and HEAD are answered here.\n", kPlainText);
      return;
    }
    const std::optional<std::vector<std::string>> path =
        ResolveSharedPath(request.target, options_.token);
    std::optional<ReadOnlyFile> file;
    if (path) {
      // Opened under a shared hold of the publishing lock: a run replacing
      // the files waits for the open, and a file opened before it began is
      // the whole old file.
      bool busy = false;
      const std::optional<FileLock> hold = FileLock::TryLockShared(lockPath_, busy);
      if (busy) {
        response.status = 503;
        response.set_header("Retry-After", "30");
        response.set_content("The news is being published. Try again in a moment.\n", kPlainText);
        return;
      }
      file = OpenFileBelow(options_.executingFolder, *path);
    }
    if (!file) {
      response.status = 404;
      response.set_content("Not found.\n", kPlainText);
      return;
    }
    Body body;
    std::string etag = file->Identity();
    const std::string lastModified = HttpDate(static_cast<std::time_t>(file->ModifiedSeconds()));
    if (path->back() == "podcast.xml" && file->Size() <= options_.limits.feedBytes) {
      std::string base = "http://" + HostPart(request.local_addr) + ":" +
                         std::to_string(request.local_port) + "/" + options_.token + "/";
      std::string text = ReadAll(*file);
      std::string joined;
      for (const std::string& segment : *path) joined += (joined.empty() ? "" : "/") + segment;
      body.text = std::make_shared<const std::string>(
          ServedFeed(text, joined, options_.podcastAddress, base));
      char hash[32];
      std::snprintf(hash, sizeof hash, "-%zx", std::hash<std::string>{}(base));
      etag += hash;
    } else {
      body.file = std::make_shared<const ReadOnlyFile>(std::move(*file));
    }
    Send(request, response, body, SharedContentType(path->back()), "\"" + etag + "\"",
         lastModified);
  }

  static void Send(const httplib::Request& request, httplib::Response& response, const Body& body,
                   const std::string& type, const std::string& etag,
                   const std::string& lastModified) {
    const std::uint64_t size = body.Size();
    response.set_header("ETag", etag);
    response.set_header("Last-Modified", lastModified);
    response.set_header("Accept-Ranges", "bytes");
    response.set_header("Cache-Control", "no-cache");
    const bool unchanged = request.has_header("If-None-Match")
                               ? EtagMatches(request.get_header_value("If-None-Match"), etag)
                               : request.get_header_value("If-Modified-Since") == lastModified;
    if (unchanged) {
      response.status = 304;
      return;
    }
    ByteRange range;
    if (request.has_header("Range")) {
      const std::string ifRange = request.get_header_value("If-Range");
      if (ifRange.empty() || ifRange == etag || ifRange == lastModified) {
        range = ParseByteRange(request.get_header_value("Range"), size);
      }
    }
    if (range.kind == ByteRange::Kind::kUnsatisfiable) {
      response.status = 416;
      response.set_header("Content-Range", "bytes */" + std::to_string(size));
      return;
    }
    std::uint64_t first = 0, length = size;
    response.status = 200;
    if (range.kind == ByteRange::Kind::kPart) {
      first = range.first;
      length = range.length;
      response.status = 206;
      response.set_header("Content-Range", "bytes " + std::to_string(first) + "-" +
                                               std::to_string(first + length - 1) + "/" +
                                               std::to_string(size));
    }
    if (length == 0) {
      response.set_content(std::string(), type);
      return;
    }
    auto buffer = std::make_shared<std::vector<char>>(kChunk);
    response.set_content_provider(
        static_cast<std::size_t>(length), type,
        [body, first, buffer](std::size_t offset, std::size_t count, httplib::DataSink& sink) {
          const std::size_t wanted = std::min(count, kChunk);
          if (body.text) {
            return sink.write(body.text->data() + first + offset, wanted);
          }
          const ssize_t got = body.file->ReadAt(first + offset, buffer->data(), wanted);
          if (got <= 0) return false;  // the file shrank under us: end the connection
          return sink.write(buffer->data(), static_cast<std::size_t>(got));
        });
  }

  static std::string HostPart(const std::string& address) {
    return address.find(':') == std::string::npos ? address : "[" + address + "]";
  }

  static std::string ReadAll(const ReadOnlyFile& file) {
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    std::size_t at = 0;
    while (at < text.size()) {
      const ssize_t got = file.ReadAt(at, text.data() + at, text.size() - at);
      if (got <= 0) break;
      at += static_cast<std::size_t>(got);
    }
    text.resize(at);
    return text;
  }

  const ShareOptions options_;
  const std::string lockPath_;
  mutable std::mutex mutex_;
  std::set<int> open_;
  bool stopping_ = false;
};

ShareServer::ShareServer() = default;

ShareServer::~ShareServer() {
  Stop();
}

namespace {

std::string ListenMessage(int problem, int port) {
  const std::string number = std::to_string(port);
  switch (problem) {
    case EADDRINUSE:
      return "Port " + number + " is in use by another program. Choose another port.";
    case EACCES:
      return "Port " + number + " is reserved for the system. Choose a port from 1024 to 65535.";
    case EINVAL:
      return "The port must be a number from 1 to 65535.";
    default:
      return "Brevora could not listen on port " + number + ": " + std::strerror(problem);
  }
}

}  // namespace

std::string ShareServer::Start(const ShareOptions& options) {
  Stop();
  const std::string host = options.allInterfaces ? "0.0.0.0" : "127.0.0.1";
  if (options.port != 0) {
    if (const int problem = ListenProblem(host, options.port)) {
      return ListenMessage(problem, options.port);
    }
  }
  impl_ = std::make_unique<Impl>(options);
  int port = options.port;
  if (port == 0) {
    port = impl_->bind_to_any_port(host);
  } else if (!impl_->bind_to_port(host, port)) {
    port = -1;
  }
  if (port <= 0) {
    impl_.reset();
    return ListenMessage(EADDRINUSE, options.port);
  }
  port_ = port;
  listenerDone_ = false;
  listener_ = std::thread([this] {
    impl_->listen_after_bind();
    listenerDone_ = true;
  });
  // Stop only ends a server that has begun to listen.
  while (!impl_->is_running() && !listenerDone_) std::this_thread::yield();
  return {};
}

void ShareServer::Stop() {
  if (!impl_) return;
  impl_->CloseConnections();
  impl_->stop();
  if (listener_.joinable()) listener_.join();
  impl_.reset();
  port_ = 0;
}

bool ShareServer::Running() const {
  return impl_ != nullptr && !listenerDone_;
}

int ShareServer::Port() const {
  return port_;
}

std::size_t ShareServer::OpenConnections() const {
  return impl_ ? impl_->OpenConnections() : 0;
}

std::string ShareFeedAddress(const std::string& address, int port, const std::string& token) {
  return "http://" + address + ":" + std::to_string(port) + "/" + token + "/podcast.xml";
}

}  // namespace brevora
