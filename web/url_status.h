#pragma once
// Asks a server for the HTTP status of a URL, after a navigation failed with
// a code that is not an HTTP status.
#include <chrono>
#include <string>
#include <string_view>

namespace morvane {

// True when the server answers 200 or 401. status gets the three digits of
// any answer (so a 404 gives false with "404"), lastModified the server's
// Last-Modified value if it sent one. Redirects are followed. Only the
// headers are read; the body is never downloaded. No answer, a refused or
// unknown host, or no headers within the time-out give false and both empty.
bool QueryURLStatus(std::string_view url, std::string& status, std::string& lastModified);
bool QueryURLStatus(std::string_view url, std::string& status, std::string& lastModified,
                    std::chrono::milliseconds timeout);

inline constexpr std::chrono::milliseconds kURLStatusTimeout{10000};

}  // namespace morvane
