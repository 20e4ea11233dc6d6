// A relay in front of the fake web that writes the values of chosen query keys as "0".
//
// Some sites' addresses carry a clock or random value before the parts that tell one
// page from another ("cgi_list_photo?t=<milliseconds>&...&topicId=X&pageStart=500"), so
// no fixed address or prefix of the fake web could answer them page by page. Clients use
// the relay as their proxy (net::SetProxy, or http_proxy for a child program); it rewrites
// the request line, forwards the request to the fake web with "Connection: close" and
// copies the reply back. The fake web records the rewritten address.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zentrow::test {

class QueryRelay {
 public:
  QueryRelay(int upstreamPort, std::vector<std::string> keys) : upstreamPort_(upstreamPort), keys_(std::move(keys)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, SOMAXCONN);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
  }
  ~QueryRelay() {
    stop_ = true;
    acceptor_.join();
    ::close(listener_);
    std::lock_guard lock(mutex_);
    for (std::thread& t : connections_) t.join();
  }
  QueryRelay(const QueryRelay&) = delete;
  QueryRelay& operator=(const QueryRelay&) = delete;

  std::string ProxyAddress() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // The target with every chosen key's value replaced by "0".
  static std::string Normalise(std::string target, const std::vector<std::string>& keys) {
    for (const std::string& key : keys) {
      for (const char* lead : {"?", "&"}) {
        const std::string marker = lead + key + "=";
        for (size_t at = target.find(marker); at != std::string::npos; at = target.find(marker, at + 1)) {
          const size_t value = at + marker.size();
          const size_t end = target.find('&', value);
          target.replace(value, (end == std::string::npos ? target.size() : end) - value, "0");
        }
      }
    }
    return target;
  }

 private:
  static constexpr int kWaitMs = 10000;

  static sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }
  static bool Readable(int socket) {
    pollfd p{socket, POLLIN, 0};
    return ::poll(&p, 1, kWaitMs) > 0;
  }
  static bool SendAll(int socket, const std::string& data) {
    for (size_t done = 0; done < data.size();) {
      const ssize_t n = ::send(socket, data.data() + done, data.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  void Accept() {
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) continue;
      std::lock_guard lock(mutex_);
      connections_.emplace_back([this, client] { Relay(client); });
    }
  }

  // One request per connection: head and body in, the reply out until the fake web closes.
  void Relay(int client) {
    std::string request;
    char buffer[16 * 1024];
    size_t headEnd;
    while ((headEnd = request.find("\r\n\r\n")) == std::string::npos) {
      if (request.size() > 256 * 1024 || !Readable(client)) return (void)::close(client);
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) return (void)::close(client);
      request.append(buffer, static_cast<size_t>(n));
    }
    const size_t lineEnd = request.find("\r\n");
    const std::string line = request.substr(0, lineEnd);
    const size_t first = line.find(' '), last = line.rfind(' ');
    std::string head = line.substr(0, first + 1) + Normalise(line.substr(first + 1, last - first - 1), keys_) +
                       line.substr(last) + "\r\n";
    size_t bodyLength = 0;
    for (size_t at = lineEnd + 2; at < headEnd;) {
      const size_t end = request.find("\r\n", at);
      const std::string header = request.substr(at, end - at);
      at = end + 2;
      std::string name = header.substr(0, header.find(':'));
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (name == "connection" || name == "proxy-connection") continue;
      if (name == "content-length") bodyLength = std::stoul(header.substr(header.find(':') + 1));
      head += header + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    std::string body = request.substr(headEnd + 4);
    while (body.size() < bodyLength && Readable(client)) {
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      body.append(buffer, static_cast<size_t>(n));
    }

    const int upstream = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(upstreamPort_);
    if (::connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        SendAll(upstream, head + body)) {
      while (Readable(upstream)) {
        const ssize_t n = ::recv(upstream, buffer, sizeof buffer, 0);
        if (n <= 0 || !SendAll(client, std::string(buffer, static_cast<size_t>(n)))) break;
      }
    }
    ::close(upstream);
    ::shutdown(client, SHUT_RDWR);
    ::close(client);
  }

  const int upstreamPort_;
  const std::vector<std::string> keys_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread acceptor_;
  std::mutex mutex_;
  std::vector<std::thread> connections_;
};

}  // namespace zentrow::test
