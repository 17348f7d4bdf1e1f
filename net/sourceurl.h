// Whole addresses a list may be fetched from, as a user writes them (a source's value in
// sources.ini) and as a server names them (a redirect's Location, resolved against the request).
// Tested by tests/net/sourceurl_test.cpp.
#pragma once

#include <string>
#include <string_view>

namespace brevak {

// Whether url can be fetched as it is written: "http://" or "https://" (any case), a host (a
// name, or an IPv6 address in brackets) with an optional port from 1 to 65535, then nothing or a
// path from "/" with an optional "?query". No user part and no fragment; only visible ASCII.
bool IsFetchableUrl(std::string_view url);
// Why url is not fetchable as it is written, in a few words ("the port is not a number from 1 to
// 65535"); empty when it is.
std::string FetchableUrlProblem(std::string_view url);

// A redirect's location resolved against the URL it answered (absolute, http or https): an
// absolute location as it is, "//host/..." with base's scheme, "/path", "?query" and a relative
// path against base's; "." and ".." segments resolved, a "#fragment" dropped. "" when there is
// nothing to resolve.
std::string ResolveLocation(std::string_view base, std::string_view location);

}  // namespace brevak
