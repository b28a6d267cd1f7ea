#include "http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <algorithm>
#include <cstring>

namespace lirra::testing {

namespace {

constexpr int kMetaInterval = 8192;

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool SendAll(int fd, const std::string& s) { return SendAll(fd, s.data(), s.size()); }

std::string ReadRequest(int fd, const std::atomic<bool>& stop) {
  std::string request;
  char buf[1024];
  while (request.find("\r\n\r\n") == std::string::npos && !stop) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    const ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    request.append(buf, static_cast<size_t>(n));
  }
  return request;
}

std::string Header(const std::string& request, const std::string& name) {
  std::string lower = request;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const size_t at = lower.find("\r\n" + name + ":");
  if (at == std::string::npos) return {};
  const size_t from = at + name.size() + 3;
  const size_t end = request.find("\r\n", from);
  std::string value = request.substr(from, end - from);
  while (!value.empty() && value.front() == ' ') value.erase(0, 1);
  return value;
}

}  // namespace

HttpServer::HttpServer(Mode mode, std::string body, std::string contentType,
                       std::string streamTitle)
    : mode_(mode),
      body_(std::move(body)),
      contentType_(std::move(contentType)),
      streamTitle_(std::move(streamTitle)) {
  start();
}

HttpServer::HttpServer(std::function<Reply(const std::string& target, const std::string& headers)> handler)
    : mode_(Mode::Handler), handler_(std::move(handler)) {
  start();
}

void HttpServer::start() {
  listenFd_ = socket(AF_INET, SOCK_STREAM, 0);
  const int one = 1;
  setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  listen(listenFd_, 16);
  socklen_t len = sizeof addr;
  getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  acceptThread_ = std::thread([this] { acceptLoop(); });
}

HttpServer::~HttpServer() {
  stop_ = true;
  acceptThread_.join();
  close(listenFd_);
  std::lock_guard<std::mutex> guard(threadsMutex_);
  for (std::thread& t : threads_) t.join();
}

std::string HttpServer::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpServer::acceptLoop() {
  while (!stop_) {
    pollfd p{listenFd_, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    const int fd = accept(listenFd_, nullptr, nullptr);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> guard(threadsMutex_);
    threads_.emplace_back([this, fd] {
      serve(fd);
      close(fd);
    });
  }
}

void HttpServer::serve(int fd) {
  const std::string request = ReadRequest(fd, stop_);
  if (request.empty()) return;
  ++requests_;
  if (mode_ == Mode::Silent) {
    while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return;
  }
  if (mode_ == Mode::Handler) {
    const size_t from = request.find(' ') + 1;
    const Reply reply = handler_(request.substr(from, request.find(' ', from) - from), request);
    SendAll(fd, "HTTP/1.1 " + std::to_string(reply.status) + " X\r\nContent-Type: " + reply.contentType +
                    "\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n" +
                    reply.body);
    return;
  }
  if (mode_ == Mode::Html) {
    const std::string page = "<html><body>not a song</body></html>";
    SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                    std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
    return;
  }
  if (mode_ == Mode::Shoutcast) {
    const bool wantsMeta = Header(request, "icy-metadata") == "1";
    std::string head = "HTTP/1.0 200 OK\r\nContent-Type: " + contentType_ +
                       "\r\nicy-name: Lirra Test Radio\r\nicy-genre: Test\r\n";
    if (wantsMeta) head += "icy-metaint: " + std::to_string(kMetaInterval) + "\r\n";
    if (!SendAll(fd, head + "\r\n")) return;
    // The body once, paced a little faster than real time, with metadata blocks.
    std::string meta = "StreamTitle='" + streamTitle_ + "';";
    meta.resize((meta.size() + 15) / 16 * 16, '\0');
    const std::string metaBlock = std::string(1, static_cast<char>(meta.size() / 16)) + meta;
    size_t sent = 0;
    while (sent < body_.size() && !stop_) {
      const size_t n = std::min<size_t>(kMetaInterval, body_.size() - sent);
      if (!SendAll(fd, body_.data() + sent, n)) return;
      sent += n;
      if (wantsMeta && n == kMetaInterval && !SendAll(fd, metaBlock)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return;
  }
  // A file, with byte ranges.
  size_t from = 0;
  const std::string range = Header(request, "range");
  if (range.rfind("bytes=", 0) == 0) from = std::stoul(range.substr(6));
  if (from > body_.size()) from = body_.size();
  std::string head;
  if (!range.empty()) {
    head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(from) + "-" +
           std::to_string(body_.empty() ? 0 : body_.size() - 1) + "/" +
           std::to_string(body_.size()) + "\r\n";
  } else {
    head = "HTTP/1.1 200 OK\r\n";
  }
  head += "Content-Type: " + contentType_ + "\r\nAccept-Ranges: bytes\r\nContent-Length: " +
          std::to_string(body_.size() - from) + "\r\nConnection: close\r\n\r\n";
  if (!SendAll(fd, head)) return;
  const size_t stall = stallAfter_;
  if (stall > from && stall < body_.size()) {
    if (!SendAll(fd, body_.data() + from, stall - from)) return;
    while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return;
  }
  // Twenty pieces a second while throttled; the rest at once when the throttle is lifted.
  for (size_t at = from; at < body_.size() && !stop_;) {
    const size_t rate = bytesPerSecond_;
    const size_t chunk = rate > 0 ? std::max<size_t>(rate / 20, 1) : body_.size() - at;
    if (!SendAll(fd, body_.data() + at, std::min(chunk, body_.size() - at))) return;
    at += chunk;
    if (rate > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace lirra::testing
