// One HTTP request performed with libcurl, its request and answer carried in a HandoffFile.
//
// The request goes out with the default header lines completed below, over HTTP/1.1, never
// answered from a cache. Cookies that responses set are kept in one store for the whole
// process and sent on later requests to the same host, unless a request brings cookie text
// of its own: then it neither sends stored cookies nor keeps new ones.
#pragma once

#include <cstddef>
#include <stop_token>
#include <string>

#include "text/text.h"
#include "web/request_record.h"

namespace qw {

inline constexpr const char* kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727; .NET CLR "
    "3.0.04506.648; .NET CLR 3.5.21022)";
inline constexpr const char* kDefaultAcceptLine =
    "Accept: image/gif, image/bmp, image/x-xbitmap, image/jpeg, image/pjpeg, "
    "application/x-shockwave-flash, application/vnd.ms-excel, application/vnd.ms-powerpoint, "
    "application/msword, */*\r\n";
inline constexpr const char* kAcceptLanguageLine = "Accept-Language: zh-cn\r\n";
inline constexpr const char* kFormContentTypeLine =
    "Content-Type: application/x-www-form-urlencoded\r\n";

// Bounds on what a hostile server can make the exchange do: redirects followed in a row,
// and the body bytes kept (the rest of a longer body is dropped and the transfer ended).
inline constexpr long kMaxRedirects = 10;
inline constexpr std::size_t kMaxBodyBytes = std::size_t{32} << 20;

// Reads the request from the file (slot 0 url, 1 method, 2 proxy, 3 header text, 4 body,
// 5 cookie text, 6 follow redirects), performs it and writes the record back with slot 0 the
// body, slot 1 the cookies the response set ("a=1;b=2;") and slot 5 its raw headers. A file
// that holds no whole record is left alone. A stop request aborts the transfer at once;
// whatever had arrived is written back.
void HttpExchange(HandoffFile& file, std::stop_token stop = {});

// The request headers as the exchange sends them, before the transport adds Host.
struct PreparedHeaders {
  Text userAgent;   // DefaultUserAgent unless the header text names one
  Text headerText;  // the caller's header text completed with the default lines
};
PreparedHeaders PrepareHeaders(const Text& url, const Text& method, const Text& headerText,
                               const Bytes& body, const Text& cookieText);

// "name=value;" for every Set-Cookie line of a raw header block, joined without blanks.
Text CookiesSetBy(const Text& rawHeaders);

// Empties the process-wide cookie store.
void ForgetStoredCookies();

// Certificates of HTTPS servers are checked against the system's authorities; a PEM file
// named here is used in their place (private authorities, tests). Empty restores the system's.
void UseCertificateAuthorities(const std::string& pemFile);

}  // namespace qw
