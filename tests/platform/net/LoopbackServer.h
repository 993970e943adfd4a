// A tiny HTTP server on 127.0.0.1 for tests: it answers a bounded number of requests on
// its own thread, records them, and stops when destroyed. Header-only so that other test
// binaries (the program's) can start one too.
#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

class TLoopbackServer {
public:
  struct TRequest {
    std::string Method;
    std::string Target;  // path and query as sent
    std::string Headers; // the header lines, CR LF separated
    std::string Body;
  };
  // Returns the whole raw reply, or nothing to keep the connection open without answering
  // (until the server stops), which lets tests run into the client's time-out.
  using THandler = std::function<std::optional<std::string>(const TRequest&)>;

  static constexpr size_t MaxRequestBytes = 1 << 20;

  TLoopbackServer(int maxRequests, THandler handler)
      : FHandler(std::move(handler)), FLeft(maxRequests)
  {
    FListen = ::socket(AF_INET, SOCK_STREAM, 0);
    if (FListen < 0)
      throw std::runtime_error("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(FListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(FListen, 8) != 0 ||
        ::getsockname(FListen, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      ::close(FListen);
      throw std::runtime_error("bind");
    }
    FPort = ntohs(addr.sin_port);
    FThread = std::thread([this] { Run(); });
  }

  ~TLoopbackServer()
  {
    FStop = true;
    FThread.join();
    ::close(FListen);
  }

  int Port() const { return FPort; }
  std::string Url(const std::string& target) const
  {
    return "http://127.0.0.1:" + std::to_string(FPort) + target;
  }

  std::vector<TRequest> Requests()
  {
    std::lock_guard<std::mutex> lock(FMutex);
    return FRequests;
  }

  // A complete reply with a Content-Length.
  static std::string Reply(int code, const std::string& reason, const std::string& body)
  {
    return "HTTP/1.1 " + std::to_string(code) + " " + reason +
           "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
  }

  // A reply of 200 with the given body for every request.
  static THandler Answer(const std::string& body)
  {
    return [body](const TRequest&) { return std::optional<std::string>(Reply(200, "OK", body)); };
  }

private:
  // Waits until fd is readable or the server stops; false when stopping.
  bool WaitReadable(int fd)
  {
    while (!FStop) {
      pollfd p{fd, POLLIN, 0};
      const int n = ::poll(&p, 1, 50);
      if (n > 0)
        return true;
    }
    return false;
  }

  void Run()
  {
    while (FLeft > 0 && WaitReadable(FListen)) {
      const int fd = ::accept(FListen, nullptr, nullptr);
      if (fd < 0)
        continue;
      --FLeft;
      Serve(fd);
      ::close(fd);
    }
  }

  bool ReadRequest(int fd, TRequest& request)
  {
    std::string data;
    size_t headerEnd = std::string::npos;
    size_t contentLength = 0;
    char buffer[4096];
    while (data.size() < MaxRequestBytes) {
      if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + contentLength)
        break;
      if (!WaitReadable(fd))
        return false;
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0)
        return false;
      data.append(buffer, static_cast<size_t>(n));
      if (headerEnd == std::string::npos) {
        headerEnd = data.find("\r\n\r\n");
        if (headerEnd != std::string::npos)
          contentLength = ContentLength(data.substr(0, headerEnd));
      }
    }
    if (headerEnd == std::string::npos)
      return false;
    const std::string head = data.substr(0, headerEnd);
    const size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    const size_t sp1 = requestLine.find(' ');
    const size_t sp2 = requestLine.find(' ', sp1 + 1);
    request.Method = requestLine.substr(0, sp1);
    request.Target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    request.Headers = lineEnd == std::string::npos ? "" : head.substr(lineEnd + 2);
    request.Body = data.substr(headerEnd + 4, contentLength);
    return true;
  }

  static size_t ContentLength(const std::string& head)
  {
    std::string lower;
    for (char c : head)
      lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    const size_t at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos)
      return 0;
    const size_t n = std::strtoul(lower.c_str() + at + 17, nullptr, 10);
    return n < MaxRequestBytes ? n : MaxRequestBytes;
  }

  void Serve(int fd)
  {
    TRequest request;
    if (!ReadRequest(fd, request))
      return;
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FRequests.push_back(request);
    }
    const std::optional<std::string> reply = FHandler(request);
    if (!reply) {
      char sink[256];
      while (WaitReadable(fd) && ::recv(fd, sink, sizeof sink, 0) > 0) {
      }
      return;
    }
    size_t sent = 0;
    while (sent < reply->size()) {
      const ssize_t n = ::send(fd, reply->data() + sent, reply->size() - sent, MSG_NOSIGNAL);
      if (n <= 0)
        return;
      sent += static_cast<size_t>(n);
    }
  }

  THandler FHandler;
  std::atomic<int> FLeft;
  std::atomic<bool> FStop{false};
  int FListen = -1;
  int FPort = 0;
  std::mutex FMutex;
  std::vector<TRequest> FRequests;
  std::thread FThread;
};
