#pragma once
// Where a web address leads: its scheme, host and port. A login's values go
// only to the origin that was asked for, so these are compared strictly.
#include <string>
#include <string_view>

namespace morvane {

// "scheme://host:port" of an http or https address: scheme and host in
// lower case, the host in its ASCII form (IPv6 in brackets), the default
// port written out. Empty for anything else, so an empty origin never
// matches. The page script that fills a form spells its own document's
// origin the same way.
std::string OriginOf(std::string_view url);

// The host as OriginOf spells it; empty where OriginOf is empty.
std::string HostOf(std::string_view url);

// An http(s) address on a port that belongs to another protocol (":1",
// ":25"): the engine will not load it, and says nothing of it.
bool OnBlockedPort(std::string_view url);

// Same scheme, host and port (default ports filled in); false for anything
// that is not an absolute http or https address with a host.
bool SameOrigin(std::string_view a, std::string_view b);

}  // namespace morvane
