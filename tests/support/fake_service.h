#pragma once
// Runs the stand-in analysis service (tests/fixtures/service/service.py) on
// 127.0.0.1 for as long as the object lives.
#include <glib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace morvane::testing {

class FakeService {
 public:
  FakeService() {
    const std::string dir = std::string(MORVANE_FIXTURES) + "/service";
    const std::string script = dir + "/service.py";
    const std::string cert = dir + "/untrusted-cert.pem";
    const std::string key = dir + "/untrusted-key.pem";
    const char* argv[] = {"python3", script.c_str(), "--tls", cert.c_str(), key.c_str(), nullptr};
    GError* error = nullptr;
    if (!g_spawn_async_with_pipes(nullptr, const_cast<char**>(argv), nullptr,
                                  static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr,
                                  nullptr, &pid_, nullptr, &out_, nullptr, &error)) {
      const std::string message = error ? error->message : "spawn failed";
      if (error) g_error_free(error);
      throw std::runtime_error("fake service: " + message);
    }
    std::string lines;
    while (port_ == 0 || tlsPort_ == 0) {
      pollfd p{out_, POLLIN, 0};
      char buffer[256];
      ssize_t n = 0;
      if (poll(&p, 1, 10000) <= 0 || (n = read(out_, buffer, sizeof buffer)) <= 0) {
        Stop();
        throw std::runtime_error("fake service did not start");
      }
      lines.append(buffer, static_cast<std::size_t>(n));
      sscanf(lines.c_str(), "PORT %d\nTLSPORT %d", &port_, &tlsPort_);
    }
  }
  ~FakeService() { Stop(); }
  FakeService(const FakeService&) = delete;
  FakeService& operator=(const FakeService&) = delete;

  std::string URL(std::string_view path) const { return "http://127.0.0.1:" + std::to_string(port_) + std::string(path); }
  std::string SecureURL(std::string_view path) const {
    return "https://127.0.0.1:" + std::to_string(tlsPort_) + std::string(path);
  }

 private:
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      g_spawn_close_pid(pid_);
      pid_ = 0;
    }
    if (out_ >= 0) close(out_);
    out_ = -1;
  }

  GPid pid_ = 0;
  int out_ = -1;
  int port_ = 0;
  int tlsPort_ = 0;
};

}  // namespace morvane::testing
