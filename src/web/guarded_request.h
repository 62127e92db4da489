// The one way the program fetches a web page: the HTTP exchange runs on a thread of its
// own while the caller waits, with a time-out after which a fixed message takes the page's
// place.
#pragma once

#include <optional>
#include <stop_token>

#include "text/text.h"

namespace qw {

class WindowOps;

// A left-out option is std::nullopt (or nullptr for the outputs); any supplied value counts,
// 0 included.
struct RequestOptions {
  std::optional<int> method;  // 1 sends POST, anything else GET
  std::optional<Text> proxy;  // for plain-HTTP addresses
  std::optional<Text> headers;
  std::optional<Bytes> postData;
  std::optional<Text> cookies;
  std::optional<int> timeoutSeconds;  // left out: 60 seconds; 0 or less times out at once
  Text* returnedHeaders = nullptr;    // raw response headers; written only after a fetch
  std::optional<int> resultType;      // 1 UTF-8 to GBK, 2 BIG5 to simplified GBK, else raw
  Text* returnedCookies = nullptr;    // "a=1;b=2;"; written only after a fetch
  std::optional<bool> followRedirects;
};

// What a fetch that ran out of time returns in place of the page.
Text TimeoutMessage();

// Fetches url. A url of blanks returns empty at once; one that starts with neither
// "http://" nor "https://" gets "http://" in front, written back into the caller's variable.
// A stop request returns an empty result at once. When window is given, its pending events
// are handled while the fetch runs.
Bytes GuardedRequest(Text& url, const RequestOptions& options = {}, std::stop_token stop = {},
                     WindowOps* window = nullptr);

}  // namespace qw
