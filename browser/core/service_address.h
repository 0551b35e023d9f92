#pragma once
// Where the analysis service lives: built into the program, replaced by the
// address stored in the settings file, and for one run by --service-url.
#include <string>
#include <string_view>

namespace morvane {

inline constexpr std::string_view kBuiltInServiceURL = "http://vexa-access.jp";
// The settings file's key for the stored address.
inline constexpr std::string_view kServiceURLKey = "ServiceURL";

// The first of the three that is not blank (spaces around it dropped).
std::string ServiceURLInForce(std::string_view commandLine, std::string_view stored);

// The management page on the service's host: "/admin2/" there. An address
// without a scheme is taken as HTTP; empty when no host can be read from it.
std::string ManagementPageURL(std::string_view serviceURL);

}  // namespace morvane
