#pragma once
// Runs the stand-in analysis service (tests/fixtures/service/service.py) on
// 127.0.0.1 for as long as the object lives.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <glib.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::testing {

// An address on this machine that nobody listens on: a free port taken and
// let go again.
inline std::string ClosedPortURL() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  close(s);
  return "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/";
}

// Percent-encoding of a UTF-8 text; what keep names stays as it is.
inline std::string PercentEncoded(std::string_view utf8, const char* keep = nullptr) {
  char* escaped = g_uri_escape_string(std::string(utf8).c_str(), keep, FALSE);
  std::string out(escaped);
  g_free(escaped);
  return out;
}

class FakeService {
 public:
  // extraHosts more plain ports, each a server of its own to a client.
  explicit FakeService(int extraHosts = 0) {
    // Its clients reach it directly, whatever proxy the environment names.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      unsetenv(name);
    const std::string dir = std::string(MORVANE_FIXTURES) + "/service";
    const std::string script = dir + "/service.py";
    const std::string cert = dir + "/untrusted-cert.pem";
    const std::string key = dir + "/untrusted-key.pem";
    const std::string hosts = std::to_string(extraHosts);
    const char* argv[] = {"python3",   script.c_str(), "--tls",       cert.c_str(),
                          key.c_str(), "--hosts",      hosts.c_str(), nullptr};
    GError* error = nullptr;
    if (!g_spawn_async_with_pipes(nullptr, const_cast<char**>(argv), nullptr,
                                  static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr,
                                  nullptr, &pid_, nullptr, &out_, nullptr, &error)) {
      const std::string message = error ? error->message : "spawn failed";
      if (error) g_error_free(error);
      throw std::runtime_error("fake service: " + message);
    }
    std::string lines;
    while (port_ == 0 || tlsPort_ == 0 || hostPorts_.size() < static_cast<std::size_t>(extraHosts)) {
      pollfd p{out_, POLLIN, 0};
      char buffer[256];
      ssize_t n = 0;
      if (poll(&p, 1, 10000) <= 0 || (n = read(out_, buffer, sizeof buffer)) <= 0) {
        Stop();
        throw std::runtime_error("fake service did not start");
      }
      lines.append(buffer, static_cast<std::size_t>(n));
      sscanf(lines.c_str(), "PORT %d\nTLSPORT %d", &port_, &tlsPort_);
      if (const std::size_t at = lines.find("HOSTPORTS "); at != std::string::npos && lines.back() == '\n') {
        hostPorts_.clear();
        const char* p = lines.c_str() + at + 10;
        for (int port = 0, used = 0; sscanf(p, "%d%n", &port, &used) == 1; p += used) hostPorts_.push_back(port);
      }
    }
  }
  ~FakeService() { Stop(); }
  FakeService(const FakeService&) = delete;
  FakeService& operator=(const FakeService&) = delete;

  std::string URL(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
  }
  // The same service under another loopback name: another host to a browser.
  std::string OtherHostURL(std::string_view path) const {
    return "http://localhost:" + std::to_string(port_) + std::string(path);
  }
  // The same service as the extra host i, 0-based.
  std::string HostURL(std::size_t i, std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(hostPorts_.at(i)) + std::string(path);
  }
  // The body of a page of the service, fetched past the browser (empty on failure).
  std::string Fetch(std::string_view path) const {
    std::string body;
    CURL* curl = curl_easy_init();
    if (!curl) return body;
    const std::string url = URL(path);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t count, void* out) {
          static_cast<std::string*>(out)->append(data, size * count);
          return size * count;
        });
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return body;
  }
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
  std::vector<int> hostPorts_;
};

}  // namespace morvane::testing
