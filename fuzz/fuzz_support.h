#pragma once
// Small helpers shared by the fuzz targets.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(cond)                                                         \
  do {                                                                           \
    if (!(cond)) {                                                               \
      __builtin_printf("check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                              \
    }                                                                            \
  } while (0)

inline std::string_view AsText(const uint8_t* data, size_t size) { return {reinterpret_cast<const char*>(data), size}; }

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

// A private folder for targets that must go through real files, in memory
// when the machine has /dev/shm so that flushing costs nothing. Emptied and
// removed when the fuzzer exits.
inline const std::string& FuzzTempDir() {
  static const std::string dir = [] {
    std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/morvane-fuzz-XXXXXX");
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern + "/";
  }();
  static const bool cleanup = [] {
    std::atexit([] {
      if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d))
          if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            ::unlink((dir + e->d_name).c_str());
        ::closedir(d);
      }
      ::rmdir(dir.c_str());
    });
    return true;
  }();
  (void)cleanup;
  return dir;
}

inline void WriteRawFile(const std::string& path, std::string_view bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}
