// A small HTTP server on 127.0.0.1 for the network tests: serves one body with Range
// support, or as a shoutcast stream with ICY metadata, or HTML, or accepts and never
// answers, or answers each request as a handler says. Stops (and joins its threads) when
// destroyed.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lirra::testing {

class HttpServer {
 public:
  enum class Mode { File, Shoutcast, Html, Silent, Handler };
  HttpServer(Mode mode, std::string body, std::string contentType = "audio/mpeg",
             std::string streamTitle = "");
  struct Reply {
    int status = 200;
    std::string body;
    std::string contentType = "application/json";
  };
  // Each request's target ("/path?query") and headers go to `handler`; its reply is sent.
  explicit HttpServer(std::function<Reply(const std::string& target, const std::string& headers)> handler);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  int port() const { return port_; }
  std::string url(const std::string& path) const;
  int requests() const { return requests_; }
  // A file served this way sends only its first `bytes` and then keeps the connection
  // open without sending more: a stream that stalls mid-read.
  void stallAfter(size_t bytes) { stallAfter_ = bytes; }
  // A file served this way trickles out at about `bytesPerSecond` (a slow network); 0 lifts
  // the throttle, also in the middle of a reply.
  void throttle(size_t bytesPerSecond) { bytesPerSecond_ = bytesPerSecond; }

 private:
  void start();
  void acceptLoop();
  void serve(int fd);

  Mode mode_;
  std::function<Reply(const std::string&, const std::string&)> handler_;
  std::string body_;
  std::string contentType_;
  std::string streamTitle_;
  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::atomic<size_t> stallAfter_{0};
  std::atomic<size_t> bytesPerSecond_{0};
  std::mutex threadsMutex_;
  std::vector<std::thread> threads_;
  std::thread acceptThread_;
};

}  // namespace lirra::testing
