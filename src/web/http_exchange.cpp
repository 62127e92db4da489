#include "web/http_exchange.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "text/codepage.h"
#include "web/url.h"

namespace qw {
namespace {

// libcurl's process-wide state: initialised once, and the cookie store that every request
// without cookie text of its own shares. Never torn down, so a late request at exit still
// finds it.
struct CurlProcess {
  CURLSH* share = nullptr;
  std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
  std::mutex authoritiesMutex;
  std::string authorities;
};

void LockShare(CURL*, curl_lock_data data, curl_lock_access, void* process) {
  static_cast<CurlProcess*>(process)->locks[static_cast<std::size_t>(data)].lock();
}

void UnlockShare(CURL*, curl_lock_data data, void* process) {
  static_cast<CurlProcess*>(process)->locks[static_cast<std::size_t>(data)].unlock();
}

CurlProcess& Curl() {
  static CurlProcess* process = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    auto* p = new CurlProcess;
    p->share = curl_share_init();
    curl_share_setopt(p->share, CURLSHOPT_LOCKFUNC, LockShare);
    curl_share_setopt(p->share, CURLSHOPT_UNLOCKFUNC, UnlockShare);
    curl_share_setopt(p->share, CURLSHOPT_USERDATA, p);
    curl_share_setopt(p->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    return p;
  }();
  return *process;
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

bool Missing(const Text& headerText, const char* name) {
  return FindText(headerText, name, 1, true) == -1;
}

bool StartsWithIgnoreCase(const Text& text, std::string_view prefix) {
  return CompareTextIgnoreCase(TextLeft(text, static_cast<int>(prefix.size())), prefix) == 0;
}

// What one transfer brings back: the body and the raw header block of the last response.
struct Answer {
  CURL* easy = nullptr;
  Bytes body;
  Text headers;
  bool headersComplete = false;
};

std::size_t TakeBody(char* data, std::size_t, std::size_t n, void* answer) {
  auto& a = *static_cast<Answer*>(answer);
  Bytes& body = a.body;
  if (body.empty()) {
    // One allocation for an announced length (never past the limit) instead of regrowing.
    curl_off_t announced = -1;
    curl_easy_getinfo(a.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (announced > 0) {
      body.reserve(std::min(static_cast<std::size_t>(announced), kMaxBodyBytes));
    }
  }
  const std::size_t room = kMaxBodyBytes - body.size();
  if (n > room) {
    body.append(data, room);
    return 0;  // ends the transfer
  }
  body.append(data, n);
  return n;
}

std::size_t TakeHeaderLine(char* data, std::size_t, std::size_t n, void* answer) {
  auto& a = *static_cast<Answer*>(answer);
  Text line(data, n);
  if (line.rfind("HTTP/", 0) == 0) {
    // A new response (after a redirect or an interim 1xx): only the last one counts.
    a.headers.clear();
    a.body.clear();
    a.headersComplete = false;
  } else if (a.headersComplete) {
    return n;  // trailers after a chunked body
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  a.headers += BytesToText(line) + "\r\n";
  if (line.empty()) a.headersComplete = true;
  return n;
}

// The completed header text as libcurl's list: one entry per non-empty line (an empty line
// would end the head early), then blank entries that keep libcurl from adding lines of its
// own.
HeaderList HeaderLines(const Text& headerText, bool post, bool emptyBody) {
  curl_slist* list = nullptr;
  auto add = [&list](const std::string& line) {
    if (curl_slist* grown = curl_slist_append(list, line.c_str())) list = grown;
  };
  std::size_t start = 0;
  while (start < headerText.size()) {
    std::size_t end = headerText.find('\n', start);
    if (end == std::string::npos) end = headerText.size();
    std::string line = headerText.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) add(line);
    start = end + 1;
  }
  add("Accept:");
  add("Expect:");
  add("Proxy-Connection:");
  if (post) {
    add("Content-Type:");
    // With a body libcurl supplies the true length unless the header text names one.
    if (emptyBody) add("Content-Length:");
  }
  return HeaderList(list);
}

struct Request {
  Text url, method, headerText, cookieText, proxy;
  Bytes body;
  bool followRedirects = true;
};

// Runs the transfer on a multi handle of its own so that a stop request can wake it at once.
void Perform(const Request& r, Answer& answer, std::stop_token stop) {
  CurlProcess& process = Curl();
  const bool post = r.method == "POST";
  const PreparedHeaders prepared =
      PrepareHeaders(r.url, r.method, r.headerText, r.body, r.cookieText);
  // Declared first so that it outlives the handles that point at it.
  const HeaderList headers = HeaderLines(prepared.headerText, post, r.body.empty());
  Multi multi(curl_multi_init());
  Easy easy(curl_easy_init());
  if (!easy || !multi) return;
  CURL* e = easy.get();

  curl_easy_setopt(e, CURLOPT_URL, r.url.c_str());
  curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_DISALLOW_USERNAME_IN_URL, 1L);
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  // A resolver thread still busy when the transfer is abandoned is left to finish alone.
  curl_easy_setopt(e, CURLOPT_QUICK_EXIT, 1L);
  curl_easy_setopt(e, CURLOPT_USERAGENT, prepared.userAgent.c_str());
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, r.followRedirects ? 1L : 0L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);

  // The proxy serves plain-HTTP addresses only; the environment never picks one.
  const bool plainHttp = StartsWithIgnoreCase(r.url, "http://");
  std::string proxy;
  if (plainHttp && !r.proxy.empty()) {
    proxy = StartsWithIgnoreCase(r.proxy, "http://") ? r.proxy : "http://" + r.proxy;
  }
  curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(e, CURLOPT_NOPROXY, "");

  std::string authorities;
  {
    std::lock_guard lock(process.authoritiesMutex);
    authorities = process.authorities;
  }
  if (!authorities.empty()) curl_easy_setopt(e, CURLOPT_CAINFO, authorities.c_str());

  // Cookie text of the caller's own replaces the store: nothing from it is sent, and what
  // the response sets is not kept.
  if (TrimBlanks(r.cookieText).empty()) {
    curl_easy_setopt(e, CURLOPT_SHARE, process.share);
    curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");
  }

  if (post) {
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body.size()));
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, r.body.data());
  } else {
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
  }

  answer.easy = e;
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, TakeBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &answer);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, TakeHeaderLine);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &answer);

  if (curl_multi_add_handle(multi.get(), e) != CURLM_OK) return;
  {
    CURLM* m = multi.get();
    std::stop_callback wake(stop, [m] { curl_multi_wakeup(m); });
    int running = 1;
    while (!stop.stop_requested()) {
      if (curl_multi_perform(m, &running) != CURLM_OK || running == 0) break;
      if (curl_multi_poll(m, nullptr, 0, 1000, nullptr) != CURLM_OK) break;
    }
  }
  curl_multi_remove_handle(multi.get(), e);
}

}  // namespace

PreparedHeaders PrepareHeaders(const Text& url, const Text& method, const Text& headerText,
                               const Bytes& body, const Text& cookieText) {
  PreparedHeaders out;
  Text text = headerText;
  if (Missing(text, "User-Agent:")) {
    out.userAgent = kDefaultUserAgent;
  } else {
    Text start = "User-Agent:";
    Text end = "\r\n";
    out.userAgent = TrimBlanks(TextBetween(text, start, end));
  }

  if (Missing(text, "Accept")) text += kDefaultAcceptLine;
  if (FindText(text, "RefererNo", 1, true) != -1) {
    text = ReplaceSubtext(text, "RefererNo", "", 1, 1, true);
  } else if (Missing(text, "Referer")) {
    text += "Referer: " + url + "\r\n";
  }
  if (Missing(text, "Accept-Language")) text += kAcceptLanguageLine;

  const Text cookieLine = cookieText.empty() ? Text() : "Cookie: " + cookieText + "\r\n\r\n";
  if (method == "GET") {
    text += cookieLine;
  } else if (method == "POST") {
    if (!body.empty()) {
      if (Missing(text, "Content-Type")) text += kFormContentTypeLine;
      if (Missing(text, "Content-Length")) {
        text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
      }
    }
    text += cookieLine;
  }
  out.headerText = std::move(text);
  return out;
}

Text CookiesSetBy(const Text& rawHeaders) {
  Text cookies;
  std::size_t start = 0;
  while (start < rawHeaders.size()) {
    std::size_t end = rawHeaders.find('\n', start);
    if (end == std::string::npos) end = rawHeaders.size();
    Text line = rawHeaders.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    // Only a Set-Cookie header itself: a line merely quoting the name sets nothing.
    if (!StartsWithIgnoreCase(line, "Set-Cookie: ")) continue;
    cookies += TextBefore(TextMid(line, 13, TextLength(line)), ";") + ";";
  }
  return cookies;
}

void HttpExchange(HandoffFile& file, std::stop_token stop) {
  RequestRecord record;
  if (!file.ReadRecord(record)) return;

  static const Text kTrue = Gbk("真");
  Request r;
  r.url = BytesToText(record[0]);
  r.method = BytesToText(record[1]);
  r.proxy = BytesToText(record[2]);
  r.headerText = BytesToText(record[3]);
  r.body = record[4];
  r.cookieText = BytesToText(record[5]);
  r.followRedirects = BytesToText(record[6]) == kTrue;

  Answer answer;
  // Any other method text sends nothing and so receives nothing.
  if (r.method == "GET" || r.method == "POST") Perform(r, answer, stop);

  record[0] = std::move(answer.body);
  record[1] = CookiesSetBy(answer.headers);
  record[5] = std::move(answer.headers);
  file.WriteRecord(record);
}

void ForgetStoredCookies() {
  CurlProcess& process = Curl();
  Easy easy(curl_easy_init());
  if (!easy) return;
  curl_easy_setopt(easy.get(), CURLOPT_SHARE, process.share);
  curl_easy_setopt(easy.get(), CURLOPT_COOKIELIST, "ALL");
}

void UseCertificateAuthorities(const std::string& pemFile) {
  CurlProcess& process = Curl();
  std::lock_guard lock(process.authoritiesMutex);
  process.authorities = pemFile;
}

}  // namespace qw
