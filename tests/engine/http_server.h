// A small HTTP server on 127.0.0.1 for the network tests: serves one body with Range
// support, or as a shoutcast stream with ICY metadata, or HTML, or accepts and never
// answers. Stops (and joins its threads) when destroyed.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lirra::testing {

class HttpServer {
 public:
  enum class Mode { File, Shoutcast, Html, Silent };
  HttpServer(Mode mode, std::string body, std::string contentType = "audio/mpeg",
             std::string streamTitle = "");
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  int port() const { return port_; }
  std::string url(const std::string& path) const;
  int requests() const { return requests_; }
  // A file served this way sends only its first `bytes` and then keeps the connection
  // open without sending more: a stream that stalls mid-read.
  void stallAfter(size_t bytes) { stallAfter_ = bytes; }

 private:
  void acceptLoop();
  void serve(int fd);

  Mode mode_;
  std::string body_;
  std::string contentType_;
  std::string streamTitle_;
  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::atomic<size_t> stallAfter_{0};
  std::mutex threadsMutex_;
  std::vector<std::thread> threads_;
  std::thread acceptThread_;
};

}  // namespace lirra::testing
