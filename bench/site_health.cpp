// The site check of 1,000 sites spread over 50 servers on 127.0.0.1-50 that
// answer each after 200 ms (one after another that would take 200 s): from
// the start to the finished report, the history written and read back as
// the window does, and the memory the check takes above what was there
// before. A plain timed program: the servers run in a child process so the
// memory measured is the check's own.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "health/health_check_run.h"
#include "health/loopback_server.h"

namespace {

constexpr int kHosts = 50;
constexpr int kSites = 1000;
constexpr int kRuns = 3;

long ResidentKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return 0;
}

// Forks the servers; writes their ports to ports[] and gives the child's id.
pid_t StartServers(int ports[kHosts]) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    std::vector<std::unique_ptr<morvane::testing::LoopbackServer>> servers;
    for (int i = 0; i < kHosts; ++i) {
      servers.push_back(std::make_unique<morvane::testing::LoopbackServer>(
          [](const std::string&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return morvane::testing::Answer(
                200,
                "<html><head><title>site</title></head><body><script src=\"http://stats.test/t.js\"></script>"
                "</body></html>");
          },
          nullptr, kSites * kRuns / kHosts + 8, std::chrono::seconds(600), "127.0.0." + std::to_string(i + 1)));
      const int port = servers.back()->Port();
      if (write(pipeFds[1], &port, sizeof port) != sizeof port) _exit(1);
    }
    close(pipeFds[1]);
    pause();  // until the parent ends it
    _exit(0);
  }
  close(pipeFds[1]);
  for (int i = 0; i < kHosts; ++i)
    if (read(pipeFds[0], &ports[i], sizeof ports[i]) != sizeof ports[i]) return -1;
  close(pipeFds[0]);
  return child;
}

}  // namespace

int main() {
  int ports[kHosts];
  const pid_t servers = StartServers(ports);
  if (servers < 0) {
    std::fprintf(stderr, "cannot start the servers\n");
    return 1;
  }
  char folder[] = "/tmp/morvane-bench-health-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string history = std::string(folder) + "/site-health.sqlite";

  morvane::HealthCheckSetup setup;
  for (int i = 0; i < kSites; ++i) {
    const int host = i % kHosts;
    const std::string url =
        "http://127.0.0." + std::to_string(host + 1) + ":" + std::to_string(ports[host]) + "/s" + std::to_string(i);
    setup.sites.push_back({"site " + std::to_string(i), url, "http://stats.test/a?s=" + std::to_string(i)});
    setup.catalogue.push_back({url, "site " + std::to_string(i)});
  }
  setup.historyPath = history;
  setup.serviceURL = "http://stats.test/";

  const long before = ResidentKiB("VmRSS:");
  for (int run = 1; run <= kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    std::size_t up = 0, pageBytes = 0;
    {
      morvane::HealthCheckRun check(setup);
      check.Wait();
      const morvane::HealthReport& report = check.Report();
      for (const auto& row : report.rows) up += row.health.Up();
      pageBytes = morvane::AsciiOnlyHTML(morvane::HealthReportHTML(report)).size();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("run %d: %d sites on %d hosts, %zu up, check to report %.2f s, report page %zu KB\n", run, kSites,
                kHosts, up, seconds, pageBytes / 1024);
  }
  std::printf("memory: %ld KB resident before, peak %ld KB (+%ld KB)\n", before, ResidentKiB("VmHWM:"),
              ResidentKiB("VmHWM:") - before);
  kill(servers, SIGKILL);
  waitpid(servers, nullptr, 0);
  for (const char* suffix : {"", "-wal", "-shm"}) std::remove((history + suffix).c_str());
  rmdir(folder);
  return 0;
}
