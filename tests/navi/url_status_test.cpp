#include "navi/core/url_status.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace morvane {
namespace {

using namespace std::chrono_literals;

// A one-thread HTTP server on 127.0.0.1 with canned answers per path.
// "/silent" accepts and never answers; "/stall" sends headers and no body.
class TinyServer {
 public:
  TinyServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listener_, 16);
    socklen_t len = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~TinyServer() {
    stop_ = true;
    thread_.join();
    for (int fd : held_) close(fd);
    close(listener_);
  }
  std::string URL(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

 private:
  void Run() {
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      const int fd = accept(listener_, nullptr, nullptr);
      if (fd >= 0) Answer(fd);
    }
  }

  void Answer(int fd) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 1000) <= 0) break;
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      request.append(buffer, n);
    }
    const std::size_t from = request.find(' ') + 1;
    const std::string path = request.substr(from, request.find(' ', from) - from);
    std::string reply;
    if (path == "/ok")
      reply = "HTTP/1.1 200 OK\r\nLast-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\nContent-Length: 2\r\n\r\nok";
    else if (path == "/auth") reply = "HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n";
    else if (path == "/error") reply = "HTTP/1.1 500 Oops\r\nContent-Length: 0\r\n\r\n";
    else if (path == "/moved") reply = "HTTP/1.1 302 Found\r\nLocation: /ok\r\nContent-Length: 0\r\n\r\n";
    else if (path == "/stall") reply = "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n";
    else if (path != "/silent") reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    if (!reply.empty()) (void)!write(fd, reply.data(), reply.size());
    if (path == "/silent" || path == "/stall") held_.push_back(fd);
    else close(fd);
  }

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::vector<int> held_;
  std::thread thread_;
};

class QueryURLStatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      unsetenv(name);
  }
  TinyServer server_;
  std::string status_ = "stale", modified_ = "stale";
};

TEST_F(QueryURLStatusTest, OnlyOkAndUnauthorizedCountAsReachable) {
  EXPECT_TRUE(QueryURLStatus(server_.URL("/ok"), status_, modified_));
  EXPECT_EQ(status_, "200");
  EXPECT_EQ(modified_, "Tue, 01 Dec 2026 10:00:00 GMT");

  EXPECT_TRUE(QueryURLStatus(server_.URL("/auth"), status_, modified_));
  EXPECT_EQ(status_, "401");
  EXPECT_EQ(modified_, "");

  EXPECT_FALSE(QueryURLStatus(server_.URL("/missing"), status_, modified_));
  EXPECT_EQ(status_, "404");
  EXPECT_FALSE(QueryURLStatus(server_.URL("/error"), status_, modified_));
  EXPECT_EQ(status_, "500");
}

TEST_F(QueryURLStatusTest, FollowsRedirectsAndReadsOnlyTheHeaders) {
  EXPECT_TRUE(QueryURLStatus(server_.URL("/moved"), status_, modified_));
  EXPECT_EQ(status_, "200");
  EXPECT_EQ(modified_, "Tue, 01 Dec 2026 10:00:00 GMT");
  // The body never comes: waiting for it would run into the time-out.
  EXPECT_TRUE(QueryURLStatus(server_.URL("/stall"), status_, modified_, 5s));
  EXPECT_EQ(status_, "200");
}

TEST_F(QueryURLStatusTest, NoAnswerGivesFalseAndEmptyTexts) {
  EXPECT_FALSE(QueryURLStatus(server_.URL("/silent"), status_, modified_, 300ms));
  EXPECT_EQ(status_, "");
  EXPECT_EQ(modified_, "");

  // A port nobody listens on: take a free one and let it go again.
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  close(s);
  EXPECT_FALSE(QueryURLStatus("http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/", status_, modified_,
                              2s));
  EXPECT_EQ(status_, "");

  EXPECT_FALSE(QueryURLStatus("file:///etc/hostname", status_, modified_, 2s));
  EXPECT_FALSE(QueryURLStatus("", status_, modified_, 2s));
  EXPECT_FALSE(QueryURLStatus(std::string("http://127.0.0.1\0/", 18), status_, modified_, 2s));
  EXPECT_EQ(status_, "");
}

}  // namespace
}  // namespace morvane
