#include "web/url.h"

namespace qw {

Text UrlHost(const Text& url) {
  Text host = ReplaceSubtext(url, "https://");
  host = ReplaceSubtext(host, "http://");
  int slash = FindText(host, "/");
  if (slash != -1) host = TextLeft(host, slash - 1);
  host = ToLowerCase(host);
  int colon = FindText(host, ":");
  if (colon != -1) host = TextLeft(host, colon - 1);
  return ToLowerCase(host);
}

Text UrlPath(const Text& url) {
  int hostAt = FindText(url, UrlHost(url), 1, true);
  int slash = FindText(url, "/", hostAt, true);
  if (slash == -1) return "/";
  return TextMid(url, slash, TextLength(url));
}

int UrlPort(const Text& url) {
  Text authority;
  if (CompareTextIgnoreCase(TextLeft(url, 7), "http://") == 0) {
    int slash = FindText(url, "/", 8);
    authority = slash != -1 ? TextMid(url, 8, slash - 8) : TextMid(url, 8, TextLength(url));
  } else {
    int slash = FindText(url, "/");
    authority = slash != -1 ? TextLeft(url, slash - 1) : url;
  }
  int colon = FindText(authority, ":");
  Text port = colon != -1 ? TextRight(authority, TextLength(authority) - colon) : Text("80");
  return TruncateToInt(TextToNumber(port));
}

Text TextBefore(const Text& text, const Text& marker, int startPosition, bool ignoreCase) {
  if (startPosition <= 0) startPosition = 1;
  int found = FindText(text, marker, startPosition, ignoreCase);
  if (found == -1) return {};
  return TextLeft(text, found - 1);
}

}  // namespace qw
