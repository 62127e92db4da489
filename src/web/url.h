// Taking a URL apart for the HTTP exchange, and cutting a cookie out of a Set-Cookie line.
// These follow fixed cutting rules rather than a URL grammar; odd input gives what the rules
// give (a capitalised scheme, for one, comes out as the host "http").
#pragma once

#include "text/text.h"

namespace qw {

// The host in lower case, without scheme, port or path.
Text UrlHost(const Text& url);
// The path with its query, from the first "/" after the host; "/" when there is none.
Text UrlPath(const Text& url);
// The number after the host's ":", 80 when there is no ":", 0 when no digits follow it.
int UrlPort(const Text& url);
// The bytes in front of the first marker found at or after startPosition; empty when the
// marker is absent.
Text TextBefore(const Text& text, const Text& marker, int startPosition = 1,
                bool ignoreCase = false);

}  // namespace qw
