#pragma once
// Small HTTP and HTTPS servers for the site check's tests: they listen on
// 127.0.0.1 only, answer a bounded number of connections, and stop by
// themselves after a while even if a test forgets them.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace morvane::testing {

struct TestAnswer {
  enum class Kind { Once, Never, Endless };
  Kind kind = Kind::Once;
  std::string bytes;  // the whole answer for Once; headers then repeated for Endless
};

TestAnswer Answer(int status, std::string body, std::string extraHeaders = {},
                  std::string contentType = "text/html; charset=UTF-8");

// A test certificate authority, and servers' certificates for 127.0.0.1
// signed by it.
class TestCertificates {
 public:
  // The authority's certificate is written to caFile.
  explicit TestCertificates(const std::string& caFile);
  ~TestCertificates();
  // An SSL_CTX* whose certificate is valid from validFromDays to
  // validToDays (relative to now; negative is past); it lives as long as
  // this object.
  void* ServerContext(long validFromDays, long validToDays);

 private:
  void* caKey_ = nullptr;
  void* ca_ = nullptr;
  std::vector<void*> contexts_;
};

class LoopbackServer {
 public:
  using Handler = std::function<TestAnswer(const std::string& path)>;
  // tls: an SSL_CTX* for https, or null.
  // address: 127.0.0.1 or another 127.x.y.z, never anything else.
  explicit LoopbackServer(Handler handler, void* tls = nullptr, int maxConnections = 64,
                          std::chrono::seconds lifetime = std::chrono::seconds(60), std::string address = "127.0.0.1");
  ~LoopbackServer();

  int Port() const { return port_; }
  std::string URL(const std::string& path) const;
  int Connections() const { return connections_; }

  // A port on 127.0.0.1 where nothing listens.
  static int ClosedPort();

 private:
  void AcceptLoop();
  void Serve(int fd);

  Handler handler_;
  void* tls_;
  int maxConnections_;
  std::chrono::steady_clock::time_point end_;
  int listener_ = -1;
  int port_ = 0;
  std::string address_;
  std::atomic<int> connections_{0};
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::condition_variable stopped_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};

}  // namespace morvane::testing
