#pragma once
// Small helpers shared by the fuzz targets.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(cond)                                                           \
  do {                                                                             \
    if (!(cond)) {                                                                 \
      __builtin_printf("check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                                \
    }                                                                              \
  } while (0)

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}
