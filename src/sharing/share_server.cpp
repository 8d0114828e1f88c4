// SPDX-License-Identifier: GPL-3.0-or-later
#include "sharing/share_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
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

// The local address of a connection, as a host part of an address
// ("192.168.1.20", "[fe80::1]"); IPv4 reached over an IPv6 socket as IPv4.
std::string LocalHost(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return "127.0.0.1";
  char text[INET6_ADDRSTRLEN] = "";
  if (address.ss_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&address)->sin_addr, text, sizeof text);
    return text;
  }
  const in6_addr& six = reinterpret_cast<sockaddr_in6*>(&address)->sin6_addr;
  if (IN6_IS_ADDR_V4MAPPED(&six)) {
    inet_ntop(AF_INET, &six.s6_addr[12], text, sizeof text);
    return text;
  }
  inet_ntop(AF_INET6, &six, text, sizeof text);
  return std::string("[").append(text).append("]");
}

std::string Header(MHD_Connection* connection, const char* name) {
  const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
  return value == nullptr ? std::string() : std::string(value);
}

bool HasHeader(MHD_Connection* connection, const char* name) {
  return MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name) != nullptr;
}

// An answer being made: its status, headers and body, queued on the connection at the end.
class Answer {
 public:
  explicit Answer(unsigned status) : status_(status) {}
  Answer& Status(unsigned status) {
    status_ = status;
    return *this;
  }
  Answer& Set(const std::string& name, const std::string& value) {
    headers_.emplace_back(name, value);
    return *this;
  }
  Answer& Text(std::string body, const std::string& type = kPlainText) {
    text_ = std::move(body);
    Set(MHD_HTTP_HEADER_CONTENT_TYPE, type);
    return *this;
  }
  // The part of an open file from `first`, `length` bytes, sent from the file itself.
  Answer& File(ReadOnlyFile file, std::uint64_t first, std::uint64_t length) {
    file_.emplace(std::move(file));
    first_ = first;
    length_ = length;
    return *this;
  }
  void CloseAfter() { close_ = true; }

  MHD_Result Queue(MHD_Connection* connection) {
    MHD_Response* response = nullptr;
    if (status_ == MHD_HTTP_NOT_MODIFIED) {
      // No length: a 304 has no body, and a length would be taken for the file's
      // (the library gives one to every answer of a known size).
      response = MHD_create_response_from_callback(
          MHD_SIZE_UNKNOWN, 1024,
          [](void*, uint64_t, char*, size_t) -> ssize_t {
            return MHD_CONTENT_READER_END_OF_STREAM;
          },
          nullptr, nullptr);
    } else if (file_ && length_ > 0) {
      const int fd = file_->ReleaseDescriptor();
      response = MHD_create_response_from_fd_at_offset64(length_, fd, first_);
      if (response == nullptr) close(fd);
    } else {
      response = MHD_create_response_from_buffer(text_.size(), text_.data(), MHD_RESPMEM_MUST_COPY);
    }
    if (response == nullptr) return MHD_NO;
    // Nothing of a shared page tells another site where it came from.
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    for (const auto& [name, value] : headers_) {
      MHD_add_response_header(response, name.c_str(), value.c_str());
    }
    if (close_) MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    if (status_ == MHD_HTTP_NOT_MODIFIED) {
      // Neither a length nor chunks: the connection's end closes the answer.
      MHD_set_response_options(response, MHD_RF_HTTP_1_0_COMPATIBLE_STRICT, MHD_RO_END);
    }
    const MHD_Result queued = MHD_queue_response(connection, status_, response);
    MHD_destroy_response(response);
    return queued;
  }

 private:
  unsigned status_;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::string text_;
  std::optional<ReadOnlyFile> file_;
  std::uint64_t first_ = 0, length_ = 0;
  bool close_ = false;
};

std::string ReadAll(const ReadOnlyFile& file) {
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

// The index page as "/TOKEN/" serves it: its relative links (the channels'
// pages, "../icons/") lead where they lead from "/TOKEN/Top/index.html".
std::string IndexFromTheTokenAddress(std::string page) {
  const std::string base = "<base href=\"Top/\">";
  const size_t head = page.find("<head>");
  if (head != std::string::npos) return page.insert(head + 6, "\n" + base);
  return base + page;
}

}  // namespace

class ShareServer::Impl {
 public:
  explicit Impl(ShareOptions options)
      : options_(std::move(options)),
        lockPath_(options_.executingFolder + "/" + kPublishLockName) {}

  ~Impl() { Stop(); }

  // Listens: on every interface of both stacks, or on 127.0.0.1 and ::1.
  // The errno of a failure, 0 on success.
  int Start() {
    const int port = options_.port;
    if (options_.allInterfaces) {
      MHD_Daemon* both = Listen(MHD_USE_DUAL_STACK, nullptr, port);
      if (both == nullptr) both = Listen(0, nullptr, port);  // a machine without IPv6
      if (both == nullptr) return errno != 0 ? errno : EADDRINUSE;
      daemons_.push_back(both);
    } else {
      sockaddr_in four{};
      four.sin_family = AF_INET;
      four.sin_port = htons(static_cast<uint16_t>(port));
      four.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      MHD_Daemon* local = Listen(0, reinterpret_cast<sockaddr*>(&four), port);
      if (local == nullptr) return errno != 0 ? errno : EADDRINUSE;
      daemons_.push_back(local);
      sockaddr_in6 six{};
      six.sin6_family = AF_INET6;
      six.sin6_port = htons(static_cast<uint16_t>(BoundPort()));
      six.sin6_addr = in6addr_loopback;
      // Where the machine has no IPv6 loopback, this computer reaches us on 127.0.0.1.
      if (MHD_Daemon* local6 =
              Listen(MHD_USE_IPv6, reinterpret_cast<sockaddr*>(&six), BoundPort())) {
        daemons_.push_back(local6);
      }
    }
    watchdog_ = std::thread([this] { Watch(); });
    return 0;
  }

  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    if (watchdog_.joinable()) watchdog_.join();
    for (MHD_Daemon* daemon : daemons_) MHD_stop_daemon(daemon);
    daemons_.clear();
  }

  int BoundPort() const {
    if (daemons_.empty()) return 0;
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemons_.front(), MHD_DAEMON_INFO_BIND_PORT);
    return info == nullptr ? 0 : info->port;
  }

  std::size_t OpenConnections() const {
    std::lock_guard lock(mutex_);
    return connections_.size();
  }

 private:
  // What the watchdog knows of a connection: its socket, and since when it
  // has been waiting for a request head (none while a request is answered).
  struct Connection {
    int fd = -1;
    std::optional<Clock::time_point> headSince;
  };

  MHD_Daemon* Listen(unsigned flags, sockaddr* address, int port) {
    const ShareLimits& limits = options_.limits;
    errno = 0;
    std::vector<MHD_OptionItem> items = {
        {MHD_OPTION_CONNECTION_LIMIT,
         static_cast<intptr_t>(std::max<std::size_t>(1, limits.connections)), nullptr},
        {MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<intptr_t>(limits.perAddress), nullptr},
        {MHD_OPTION_CONNECTION_TIMEOUT, static_cast<intptr_t>(std::max(1L, limits.sendSeconds)),
         nullptr},
        // Room for a head somewhat over the limit, so that it is refused with a reason.
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT,
         static_cast<intptr_t>(2 * limits.headBytes + 16 * 1024), nullptr},
        {MHD_OPTION_SIGPIPE_HANDLED_BY_APP, 1, nullptr},
        {MHD_OPTION_LISTEN_BACKLOG_SIZE, 1024, nullptr},
        {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&Impl::OnConnection), this},
        {MHD_OPTION_URI_LOG_CALLBACK, reinterpret_cast<intptr_t>(&Impl::OnRequestLine), this},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&Impl::OnAnswered), this},
        // The target reaches the path rules as it was sent: they decode it themselves.
        {MHD_OPTION_UNESCAPE_CALLBACK, reinterpret_cast<intptr_t>(&Impl::KeepEscaped), nullptr},
    };
    if (address != nullptr) {
      items.push_back({MHD_OPTION_SOCK_ADDR, 0, address});
    }
    items.push_back({MHD_OPTION_END, 0, nullptr});
    MHD_Daemon* daemon = nullptr;
    // The server's thread never receives the signal of a closed connection,
    // so files are sent straight from the disk (sendfile).
    WithoutBrokenPipeSignal([&] {
      daemon = MHD_start_daemon(flags | MHD_USE_EPOLL_INTERNAL_THREAD, static_cast<uint16_t>(port),
                                nullptr, nullptr, &Impl::OnRequest, this, MHD_OPTION_ARRAY,
                                items.data(), MHD_OPTION_END);
    });
    return daemon;
  }

  static size_t KeepEscaped(void*, MHD_Connection*, char* text) { return std::strlen(text); }

  static void OnConnection(void* self, MHD_Connection* connection, void** socket,
                           MHD_ConnectionNotificationCode code) {
    auto* impl = static_cast<Impl*>(self);
    std::lock_guard lock(impl->mutex_);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      const MHD_ConnectionInfo* info =
          MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
      Connection state;
      state.fd = info == nullptr ? -1 : info->connect_fd;
      state.headSince = Clock::now();
      if (state.fd >= 0) {
        // Headers and a short body leave at once on a reused connection.
        const int on = 1;
        setsockopt(state.fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      }
      impl->connections_[connection] = state;
      *socket = nullptr;
    } else {
      // Called before the socket is closed: the watchdog never touches a reused number.
      impl->connections_.erase(connection);
    }
  }

  static void* OnRequestLine(void* self, const char*, MHD_Connection* connection) {
    auto* impl = static_cast<Impl*>(self);
    std::lock_guard lock(impl->mutex_);
    const auto found = impl->connections_.find(connection);
    if (found != impl->connections_.end() && !found->second.headSince) {
      found->second.headSince = Clock::now();
    }
    return nullptr;
  }

  static void OnAnswered(void* self, MHD_Connection* connection, void**,
                         MHD_RequestTerminationCode) {
    auto* impl = static_cast<Impl*>(self);
    std::lock_guard lock(impl->mutex_);
    const auto found = impl->connections_.find(connection);
    // The next request head is awaited from now.
    if (found != impl->connections_.end()) found->second.headSince = Clock::now();
  }

  // Ends the connections whose request head has taken longer than its time:
  // a client that sends a byte now and then holds nothing for long.
  void Watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      wake_.wait_for(lock, std::chrono::milliseconds(250));
      const Clock::time_point late =
          Clock::now() - std::chrono::seconds(options_.limits.headSeconds);
      for (const auto& [connection, state] : connections_) {
        if (state.headSince && *state.headSince < late && state.fd >= 0) ShutdownSocket(state.fd);
      }
    }
  }

  static MHD_Result OnRequest(void* self, MHD_Connection* connection, const char* url,
                              const char* method, const char* version, const char*,
                              size_t* uploadSize, void** request) {
    auto* impl = static_cast<Impl*>(self);
    {
      std::lock_guard lock(impl->mutex_);
      const auto found = impl->connections_.find(connection);
      if (found != impl->connections_.end()) found->second.headSince.reset();
    }
    // A body (of a request that should have none) is taken and dropped, and
    // the connection closed after the answer, so it is never read as a request.
    if (*request != nullptr) {
      *uploadSize = 0;
      return MHD_YES;
    }
    static int marker;
    *request = &marker;
    Answer answer = impl->Respond(connection, url, method, version);
    if (HasHeader(connection, MHD_HTTP_HEADER_TRANSFER_ENCODING) ||
        HasHeader(connection, MHD_HTTP_HEADER_CONTENT_LENGTH)) {
      answer.CloseAfter();
    }
    return answer.Queue(connection);
  }

  Answer Respond(MHD_Connection* connection, const char* url, const char* method,
                 const char* version) const {
    const std::string_view target = url;
    if (std::strcmp(version, MHD_HTTP_VERSION_1_1) == 0 && !HasHeader(connection, "Host")) {
      return Plain(400, "A request of HTTP/1.1 names its host.");
    }
    if (target.size() > options_.limits.headBytes) return Plain(414, "The address is too long.");
    if (HeadSize(connection) + target.size() > options_.limits.headBytes) {
      return Plain(431, "The request's headers are too long.");
    }
    if (std::strcmp(method, "GET") != 0 && std::strcmp(method, "HEAD") != 0) {
      Answer refused = Plain(405, "Only GET and HEAD are answered here.");
      refused.Set("Allow", "GET, HEAD");
      return refused;
    }
    const std::string root = "/" + options_.token;
    if (target == root) {
      Answer moved = Plain(301, "Moved.");
      moved.Set(MHD_HTTP_HEADER_LOCATION, root + "/");
      return moved;
    }
    const std::optional<std::vector<std::string>> path = ResolveSharedPath(target, options_.token);
    std::optional<ReadOnlyFile> file;
    if (path) {
      // Opened under a shared hold of the publishing lock: a run replacing
      // the files waits for the open, and a file opened before it began is
      // the whole old file.
      bool busy = false;
      const std::optional<FileLock> hold = FileLock::TryLockShared(lockPath_, busy);
      if (busy) {
        Answer later = Plain(503, "The news is being published. Try again in a moment.");
        later.Set("Retry-After", "30");
        return later;
      }
      file = OpenFileBelow(options_.executingFolder, *path);
    }
    if (!file) return Plain(404, "Not found.");

    const std::string lastModified = HttpDate(static_cast<std::time_t>(file->ModifiedSeconds()));
    std::string etag = file->Identity();
    std::optional<std::string> text;  // a body made for this client
    const std::string& name = path->back();
    const bool feed = name == "podcast.xml";
    const bool index = target == root + "/";
    // Pages and the run's index may name the user's files (a local channel's
    // articles): they are served without those addresses.
    const bool page = name == "NewsXML.xml" || name.ends_with(".html") || name.ends_with(".htm");
    if ((feed || page) && file->Size() > options_.limits.feedBytes) {
      return Plain(404, "Not found.");
    }
    if (page && !index) {
      text = WithoutLocalAddresses(ReadAll(*file));
      etag += "-p";
    } else if (feed || index) {
      const MHD_ConnectionInfo* info =
          MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
      const MHD_ConnectionInfo* local =
          MHD_get_connection_info(connection, MHD_CONNECTION_INFO_DAEMON);
      const MHD_DaemonInfo* port =
          local == nullptr ? nullptr
                           : MHD_get_daemon_info(local->daemon, MHD_DAEMON_INFO_BIND_PORT);
      const std::string base = "http://" + LocalHost(info == nullptr ? -1 : info->connect_fd) +
                               ":" + std::to_string(port == nullptr ? 0 : port->port) + root + "/";
      std::string joined;
      for (const std::string& segment : *path) joined += (joined.empty() ? "" : "/") + segment;
      text = feed ? ServedFeed(ReadAll(*file), joined, options_.podcastAddress, base)
                  : IndexFromTheTokenAddress(WithoutLocalAddresses(ReadAll(*file)));
      char hash[32];
      std::snprintf(hash, sizeof hash, "-%zx", std::hash<std::string>{}(feed ? base : "/"));
      etag += hash;
    }
    etag = "\"" + etag + "\"";
    const std::uint64_t size = text ? text->size() : file->Size();
    // The validators go with every answer of the file, a 304 included.
    Answer answer(200);
    answer.Set(MHD_HTTP_HEADER_ETAG, etag)
        .Set(MHD_HTTP_HEADER_LAST_MODIFIED, lastModified)
        .Set(MHD_HTTP_HEADER_CACHE_CONTROL, "no-cache");
    const bool unchanged = HasHeader(connection, "If-None-Match")
                               ? EtagMatches(Header(connection, "If-None-Match"), etag)
                               : Header(connection, "If-Modified-Since") == lastModified;
    if (unchanged) return std::move(answer.Status(304));
    ByteRange range;
    if (HasHeader(connection, "Range")) {
      const std::string ifRange = Header(connection, "If-Range");
      if (ifRange.empty() || ifRange == etag || ifRange == lastModified) {
        range = ParseByteRange(Header(connection, "Range"), size);
      }
    }
    const std::string type = SharedContentType(name);
    if (range.kind == ByteRange::Kind::kUnsatisfiable) {
      Answer past(416);
      past.Set(MHD_HTTP_HEADER_CONTENT_RANGE, "bytes */" + std::to_string(size)).Text("", type);
      return past;
    }
    answer.Set(MHD_HTTP_HEADER_ACCEPT_RANGES, "bytes");
    std::uint64_t first = 0, length = size;
    if (range.kind == ByteRange::Kind::kPart) {
      first = range.first;
      length = range.length;
      answer.Status(206).Set(MHD_HTTP_HEADER_CONTENT_RANGE, "bytes " + std::to_string(first) + "-" +
                                                                std::to_string(first + length - 1) +
                                                                "/" + std::to_string(size));
    }
    if (text) {
      answer.Text(text->substr(static_cast<std::size_t>(first), static_cast<std::size_t>(length)),
                  type);
    } else {
      answer.Set(MHD_HTTP_HEADER_CONTENT_TYPE, type).File(std::move(*file), first, length);
    }
    return answer;
  }

  static Answer Plain(unsigned status, const std::string& text) {
    Answer answer(status);
    answer.Text(text + "\n");
    return answer;
  }

  // The bytes of a request's headers, names and values.
  static std::size_t HeadSize(MHD_Connection* connection) {
    std::size_t size = 0;
    MHD_get_connection_values(
        connection, MHD_HEADER_KIND,
        [](void* total, MHD_ValueKind, const char* name, const char* value) {
          *static_cast<std::size_t*>(total) +=
              std::strlen(name) + (value == nullptr ? 0 : std::strlen(value)) + 4;
          return MHD_YES;
        },
        &size);
    return size;
  }

  const ShareOptions options_;
  const std::string lockPath_;
  std::vector<MHD_Daemon*> daemons_;
  std::thread watchdog_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::map<MHD_Connection*, Connection> connections_;
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
    if (options.port < 0 || options.port > 65535) return ListenMessage(EINVAL, options.port);
    if (const int problem = ListenProblem(host, options.port)) {
      return ListenMessage(problem, options.port);
    }
  }
  auto impl = std::make_unique<Impl>(options);
  if (const int problem = impl->Start()) return ListenMessage(problem, options.port);
  impl_ = std::move(impl);
  return {};
}

void ShareServer::Stop() {
  impl_.reset();
}

bool ShareServer::Running() const {
  return impl_ != nullptr;
}

int ShareServer::Port() const {
  return impl_ ? impl_->BoundPort() : 0;
}

std::size_t ShareServer::OpenConnections() const {
  return impl_ ? impl_->OpenConnections() : 0;
}

std::string ShareFeedAddress(const std::string& address, int port, const std::string& token) {
  return "http://" + address + ":" + std::to_string(port) + "/" + token + "/podcast.xml";
}

}  // namespace brevora
