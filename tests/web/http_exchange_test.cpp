#include "web/http_exchange.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "support/loopback_server.h"
#include "text/codepage.h"
#include "web/guarded_request.h"

namespace qw {
namespace {

using test::LoopbackServer;
using namespace std::chrono_literals;

const std::string kAccept = kDefaultAcceptLine;
const std::string kLanguage = "Accept-Language: zh-cn\r\n";

// The request head up to its empty line.
std::string Head(const std::string& request) {
  return request.substr(0, request.find("\r\n\r\n") + 4);
}

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

RequestRecord Record(const Text& url, const Text& method = "GET", const Text& proxy = {},
                     const Text& headers = {}, const Bytes& body = {}, const Text& cookies = {},
                     bool follow = true) {
  return {url, method, proxy, headers, body, cookies, Gbk(follow ? "真" : "假")};
}

RequestRecord Exchange(const RequestRecord& in) {
  HandoffFile file;
  EXPECT_TRUE(file.WriteRecord(in));
  HttpExchange(file);
  RequestRecord out;
  EXPECT_TRUE(file.ReadRecord(out));
  return out;
}

struct HeaderCase {
  const char* what;
  Text method, headers;
  Bytes body;
  Text cookies;
  Text userAgent, expected;
};

TEST(PrepareHeaders, CompletesTheCallersHeaderText) {
  const Text url = "http://bbs.example.com/forum.php?mod=forumdisplay&fid=2&inajax=1";
  const Text referer = "Referer: " + url + "\r\n";
  const HeaderCase cases[] = {
      {"monitor", "GET", "", "", "", kDefaultUserAgent, kAccept + referer + kLanguage},
      {"RefererNo leaves its empty line", "GET", "RefererNo\r\n", "", "", kDefaultUserAgent,
       "\r\n" + kAccept + kLanguage},
      {"lower-case refererno is not deleted but still stops the Referer", "GET", "refererno\r\n",
       "", "", kDefaultUserAgent, "refererno\r\n" + kAccept + kLanguage},
      {"Accept is found inside Accept-Language", "GET", "Accept-Language: en\r\n", "", "",
       kDefaultUserAgent, "Accept-Language: en\r\n" + referer},
      {"caller's user agent", "GET", "User-Agent:  Forum/2.0 \r\n", "", "", "Forum/2.0",
       "User-Agent:  Forum/2.0 \r\n" + kAccept + referer + kLanguage},
      {"user agent line without CRLF", "GET", "User-Agent: Forum/2.0", "", "", "",
       "User-Agent: Forum/2.0" + kAccept + referer + kLanguage},
      {"GET with cookies", "GET", "", "", "sid=1", kDefaultUserAgent,
       kAccept + referer + kLanguage + "Cookie: sid=1\r\n\r\n"},
      {"cookie text of blanks is still sent", "GET", "", "", "  ", kDefaultUserAgent,
       kAccept + referer + kLanguage + "Cookie:   \r\n\r\n"},
      {"POST with a body", "POST", "", "a=1&b=2", "", kDefaultUserAgent,
       kAccept + referer + kLanguage + kFormContentTypeLine + "Content-Length: 7\r\n"},
      {"POST body with a zero byte counts every byte", "POST", "", Bytes("a\0b", 3), "",
       kDefaultUserAgent,
       kAccept + referer + kLanguage + kFormContentTypeLine + "Content-Length: 3\r\n"},
      {"POST keeps the caller's content lines", "POST",
       "Content-Type: text/plain\r\nContent-Length: 2\r\n", "xy", "", kDefaultUserAgent,
       "Content-Type: text/plain\r\nContent-Length: 2\r\n" + kAccept + referer + kLanguage},
      {"empty POST: no content lines, cookie line kept", "POST", "", "", "sid=1", kDefaultUserAgent,
       kAccept + referer + kLanguage + "Cookie: sid=1\r\n\r\n"},
      {"other methods get no cookie line", "PUT", "", "x", "sid=1", kDefaultUserAgent,
       kAccept + referer + kLanguage},
  };
  for (const auto& c : cases) {
    const PreparedHeaders p = PrepareHeaders(url, c.method, c.headers, c.body, c.cookies);
    EXPECT_EQ(p.userAgent, c.userAgent) << c.what;
    EXPECT_EQ(p.headerText, c.expected) << c.what;
  }
}

TEST(CookiesSetBy, JoinsNameValuePairs) {
  const struct {
    Text headers, expected;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2; path=/\r\n\r\n", "a=1;b=2;"},
      {"HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\n\r\n", "a=1;"},
      {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n", ";"},  // no ";": the name is lost
      {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", ""},
      // A header that merely holds the name sets no cookie.
      {"HTTP/1.1 200 OK\r\nX-Set-Cookie: a=1; path=/\r\n\r\n", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CookiesSetBy(c.headers), c.expected) << c.headers;
}

class HttpExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override { ForgetStoredCookies(); }
  void TearDown() override { ForgetStoredCookies(); }
  LoopbackServer server;
};

TEST_F(HttpExchangeTest, AnswerComesBackInTheRecord) {
  const std::string head =
      "HTTP/1.1 200 OK\r\nContent-Length: 7\r\nSet-Cookie: a=1; path=/\r\n"
      "Set-Cookie: b=2; path=/\r\nConnection: close\r\n\r\n";
  server.Answer("/page?x=1", head + Bytes("ab\0\xff"
                                          "cde",
                                          7));
  const RequestRecord in = Record(server.Url("/page?x=1"), "GET", "", "X-Test: 1\r\n", "", "");
  const RequestRecord out = Exchange(in);
  EXPECT_EQ(out[0], Bytes("ab\0\xff"
                          "cde",
                          7));  // the body as received, zero byte included
  EXPECT_EQ(out[1], "a=1;b=2;");
  EXPECT_EQ(out[5], head);  // status line, header lines and the empty line, all with CRLF
  for (int slot : {2, 3, 4, 6}) EXPECT_EQ(out[slot], in[slot]) << "slot " << slot;
}

TEST_F(HttpExchangeTest, HeaderBlockLargerThan2048BytesIsKeptWhole) {
  const std::string filler(3000, 'f');
  server.Answer("/big", LoopbackServer::Response(
                            "ok", "X-Filler: " + filler + "\r\nSet-Cookie: late=9; path=/\r\n"));
  const RequestRecord out = Exchange(Record(server.Url("/big")));
  EXPECT_EQ(out[0], "ok");
  EXPECT_GT(out[5].size(), 3000u);
  EXPECT_NE(out[5].find("X-Filler: " + filler + "\r\n"), std::string::npos);
  EXPECT_EQ(out[1], "late=9;");
}

TEST_F(HttpExchangeTest, FileWithoutAWholeRecordIsLeftAlone) {
  HandoffFile file;
  file.SetContents(Bytes("\x05\0\0\0abc", 7));
  HttpExchange(file);
  EXPECT_EQ(file.Contents(), Bytes("\x05\0\0\0abc", 7));
  EXPECT_EQ(server.Connections(), 0);
}

TEST_F(HttpExchangeTest, UnknownMethodSendsNothing) {
  server.Answer("/x", LoopbackServer::Response("body"));
  const RequestRecord out = Exchange(Record(server.Url("/x"), "PUT", "", "", "data"));
  EXPECT_EQ(out[0], "");
  EXPECT_EQ(out[1], "");
  EXPECT_EQ(out[5], "");
  EXPECT_EQ(server.Connections(), 0);
}

TEST_F(HttpExchangeTest, RequestTargetIsTheAddressAsWritten) {
  // The address goes to libcurl as it stands: dot segments and GBK bytes are not rewritten,
  // and "https://" inside the query does not make a plain address secure.
  for (const std::string target :
       {"/a/../b/./c?kw=\xD6\xD0&x=%41", "/jump.php?to=https://bbs.example.com/x"}) {
    server.Answer(target, LoopbackServer::Response("ok"));
    const RequestRecord out = Exchange(Record(server.Url(target)));
    EXPECT_EQ(out[0], "ok") << target;
    EXPECT_EQ(server.LastRequest().substr(0, server.LastRequest().find("\r\n")),
              "GET " + target + " HTTP/1.1");
  }
}

TEST_F(HttpExchangeTest, RedirectsFollowedOnlyWhenAsked) {
  server.Answer("/old", LoopbackServer::Response("moved", "Location: /new\r\n", "302 Found"));
  server.Answer("/new", LoopbackServer::Response("final"));
  const struct {
    std::optional<bool> follow;
    Bytes body;
    const char* status;
    std::size_t requestsSoFar;
  } cases[] = {
      {std::nullopt, "final", "HTTP/1.1 200 OK\r\n", 2},
      {true, "final", "HTTP/1.1 200 OK\r\n", 4},
      {false, "moved", "HTTP/1.1 302 Found\r\n", 5},
  };
  for (const auto& c : cases) {
    Text url = server.Url("/old");
    Text headers;
    RequestOptions options;
    options.followRedirects = c.follow;
    options.returnedHeaders = &headers;
    EXPECT_EQ(GuardedRequest(url, options), c.body);
    EXPECT_EQ(headers.rfind(c.status, 0), 0u) << headers;
    EXPECT_EQ(server.Requests().size(), c.requestsSoFar);
  }
  // The redirected request carries the same header lines.
  const auto requests = server.Requests();
  EXPECT_EQ(requests[1].substr(0, requests[1].find("\r\n")), "GET /new HTTP/1.1");
  EXPECT_NE(requests[1].find("Referer: " + server.Url("/old") + "\r\n"), std::string::npos);
}

TEST_F(HttpExchangeTest, RedirectLoopStopsAfterTenRedirects) {
  server.Answer("/loop", LoopbackServer::Response("again", "Location: /loop\r\n", "302 Found"));
  const auto start = std::chrono::steady_clock::now();
  Exchange(Record(server.Url("/loop")));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(server.Requests().size(), static_cast<std::size_t>(1 + kMaxRedirects));
}

TEST_F(HttpExchangeTest, BodyIsCutAtTheLimit) {
  const std::size_t size = kMaxBodyBytes + 1024 * 1024;
  server.Answer("/huge", LoopbackServer::Response(std::string(size, 'z')));
  const RequestRecord out = Exchange(Record(server.Url("/huge")));
  EXPECT_EQ(out[0].size(), kMaxBodyBytes);
  EXPECT_EQ(out[0].find_first_not_of('z'), std::string::npos);
}

TEST_F(HttpExchangeTest, PostSendsItsBodyWithContentLines) {
  server.Answer("/post", LoopbackServer::Response("posted"));
  const Bytes body("name=\xD6\xD0&z=\0end", 15);
  Text url = server.Url("/post");
  RequestOptions options;
  options.method = 1;
  options.postData = body;
  EXPECT_EQ(GuardedRequest(url, options), "posted");
  const std::string expected =
      "POST /post HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
      "\r\nUser-Agent: " + kDefaultUserAgent + "\r\n" + kAccept + "Referer: " + url + "\r\n" +
      kLanguage + kFormContentTypeLine + "Content-Length: 15\r\n\r\n" + body;
  EXPECT_EQ(server.LastRequest(), expected);
}

TEST_F(HttpExchangeTest, LargePostGoesOutAtOnceWithoutExpect) {
  server.Answer("/upload", LoopbackServer::Response("stored"));
  const Bytes body(3 * 1024 * 1024, 'u');
  Text url = server.Url("/upload");
  RequestOptions options;
  options.method = 1;
  options.postData = body;
  EXPECT_EQ(GuardedRequest(url, options), "stored");
  const std::string request = server.LastRequest();
  const std::string head = Head(request);
  EXPECT_EQ(head.find("Expect"), std::string::npos) << head;
  EXPECT_NE(head.find("\r\nContent-Length: 3145728\r\n"), std::string::npos) << head;
  EXPECT_EQ(request.substr(head.size()), body);
}

TEST_F(HttpExchangeTest, MethodOptionPicksPostOnlyForOne) {
  server.Answer("/m", LoopbackServer::Response("ok"));
  const struct {
    std::optional<int> method;
    const char* line;
  } cases[] = {
      {std::nullopt, "GET /m HTTP/1.1\r\n"},
      {0, "GET /m HTTP/1.1\r\n"},
      {1, "POST /m HTTP/1.1\r\n"},
      {2, "GET /m HTTP/1.1\r\n"},
  };
  for (const auto& c : cases) {
    Text url = server.Url("/m");
    RequestOptions options;
    options.method = c.method;
    EXPECT_EQ(GuardedRequest(url, options), "ok");
    EXPECT_EQ(server.LastRequest().rfind(c.line, 0), 0u) << server.LastRequest();
  }
}

TEST_F(HttpExchangeTest, EmptyPostHasNoContentLines) {
  server.Answer("/post", LoopbackServer::Response("ok"));
  Text url = server.Url("/post");
  RequestOptions options;
  options.method = 1;
  options.cookies = "sid=7";
  EXPECT_EQ(GuardedRequest(url, options), "ok");
  const std::string expected =
      "POST /post HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
      "\r\nUser-Agent: " + kDefaultUserAgent + "\r\n" + kAccept + "Referer: " + url + "\r\n" +
      kLanguage + "Cookie: sid=7\r\n\r\n";
  EXPECT_EQ(server.LastRequest(), expected);
}

TEST_F(HttpExchangeTest, CallerHeaderLinesOnTheWire) {
  server.Answer("/h", LoopbackServer::Response("ok"));
  const struct {
    Text headers;
    std::vector<std::string> present, absent;
  } cases[] = {
      {"RefererNo\r\n", {"Accept: image/gif", "Accept-Language: zh-cn\r\n"}, {"Referer"}},
      {"User-Agent: Forum/2.0\r\n", {"\r\nUser-Agent: Forum/2.0\r\n"}, {kDefaultUserAgent}},
      {"Accept-Language: en\r\nX-Mark: 1\r\n",
       {"\r\nAccept-Language: en\r\nX-Mark: 1\r\n"},
       {"Accept: ", "zh-cn"}},
  };
  for (const auto& c : cases) {
    Text url = server.Url("/h");
    RequestOptions options;
    options.headers = c.headers;
    EXPECT_EQ(GuardedRequest(url, options), "ok");
    const std::string head = Head(server.LastRequest());
    for (const auto& p : c.present) EXPECT_NE(head.find(p), std::string::npos) << p << head;
    for (const auto& a : c.absent) EXPECT_EQ(head.find(a), std::string::npos) << a << head;
    EXPECT_EQ(CountOf(head, "User-Agent:"), 1) << head;
  }
}

TEST_F(HttpExchangeTest, StoredCookiesGoBackToTheirHostOnly) {
  server.Answer("/set", LoopbackServer::Response("set", "Set-Cookie: sid=abc; path=/\r\n"));
  server.Answer("/next", LoopbackServer::Response("next"));
  Text a = server.Url("/set");
  Text cookies;
  RequestOptions options;
  options.returnedCookies = &cookies;
  EXPECT_EQ(GuardedRequest(a, options), "set");
  EXPECT_EQ(cookies, "sid=abc;");

  Text again = server.Url("/next");
  GuardedRequest(again);
  EXPECT_NE(Head(server.LastRequest()).find("\r\nCookie: sid=abc\r\n"), std::string::npos)
      << server.LastRequest();

  Text other = server.Url("/next", "localhost");
  EXPECT_EQ(GuardedRequest(other), "next");
  EXPECT_EQ(Head(server.LastRequest()).find("Cookie"), std::string::npos) << server.LastRequest();
}

TEST_F(HttpExchangeTest, OwnCookieTextReplacesTheStore) {
  server.Answer("/set", LoopbackServer::Response("set", "Set-Cookie: stored=1; path=/\r\n"));
  server.Answer("/own", LoopbackServer::Response("own", "Set-Cookie: fresh=2; path=/\r\n"));
  server.Answer("/plain", LoopbackServer::Response("plain"));
  Text url = server.Url("/set");
  GuardedRequest(url);

  url = server.Url("/own");
  Text cookies;
  RequestOptions own;
  own.cookies = "mine=3";
  own.returnedCookies = &cookies;
  EXPECT_EQ(GuardedRequest(url, own), "own");
  const std::string head = Head(server.LastRequest());
  EXPECT_EQ(CountOf(head, "Cookie"), 1) << head;
  EXPECT_NE(head.find("\r\nCookie: mine=3\r\n"), std::string::npos) << head;
  EXPECT_EQ(cookies, "fresh=2;");  // reported, but not kept

  url = server.Url("/plain");
  GuardedRequest(url);
  const std::string later = Head(server.LastRequest());
  EXPECT_NE(later.find("\r\nCookie: stored=1\r\n"), std::string::npos) << later;
  EXPECT_EQ(later.find("fresh"), std::string::npos) << later;
}

// Sets an environment variable for the length of a test.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value.c_str());
  }
  ~ScopedEnvironment() { Set(old_ ? old_->c_str() : nullptr); }

 private:
  void Set(const char* value) {
#ifdef _WIN32
    _putenv_s(name_, value ? value : "");
#else
    if (value) {
      setenv(name_, value, 1);
    } else {
      unsetenv(name_);
    }
#endif
  }
  const char* name_;
  std::optional<std::string> old_;
};

TEST_F(HttpExchangeTest, ProxyServesPlainHttpOnly) {
  LoopbackServer proxy;
  proxy.ForwardAsProxy(true);
  LoopbackServer trap;  // what the environment names must never be used
  const std::string trapUrl = "http://127.0.0.1:" + std::to_string(trap.Port());
  ScopedEnvironment httpProxy("http_proxy", trapUrl);
  ScopedEnvironment allProxy("ALL_PROXY", trapUrl);
  ScopedEnvironment noProxy("no_proxy", "*");

  server.Answer("/via", LoopbackServer::Response("origin"));
  Text url = server.Url("/via");
  RequestOptions options;
  options.proxy = "127.0.0.1:" + std::to_string(proxy.Port());
  EXPECT_EQ(GuardedRequest(url, options), "origin");
  ASSERT_EQ(proxy.Requests().size(), 1u);
  const std::string line = proxy.LastRequest().substr(0, proxy.LastRequest().find("\r\n"));
  EXPECT_EQ(line, "GET " + url + " HTTP/1.1");
  EXPECT_EQ(Head(proxy.LastRequest()).find("Proxy-Connection"), std::string::npos);
  EXPECT_EQ(server.LastRequest().rfind("GET /via HTTP/1.1\r\n", 0), 0u);

  // Without a proxy option the request goes straight to the server.
  url = server.Url("/via");
  EXPECT_EQ(GuardedRequest(url), "origin");
  EXPECT_EQ(server.Requests().size(), 2u);

  // An https address ignores the proxy: it goes (and here fails) directly.
  Text secure = "https://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/";
  options.timeoutSeconds = 5;
  EXPECT_EQ(GuardedRequest(secure, options), "");
  EXPECT_EQ(proxy.Connections(), 1);
  EXPECT_EQ(trap.Connections(), 0);
}

TEST_F(HttpExchangeTest, FailedConnectionGivesEmptyBodyAndHeaders) {
  Text url = "http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/";
  Text headers = "untouched";
  Text cookies = "untouched";
  RequestOptions options;
  options.returnedHeaders = &headers;
  options.returnedCookies = &cookies;
  EXPECT_EQ(GuardedRequest(url, options), "");
  EXPECT_EQ(headers, "");
  EXPECT_EQ(cookies, "");
}

class HttpsExchangeTest : public HttpExchangeTest {
 protected:
  void SetUp() override {
    if (!test::HasTlsSupport()) GTEST_SKIP() << "tests built without OpenSSL";
    HttpExchangeTest::SetUp();
    secure = std::make_unique<LoopbackServer>(LoopbackServer::Mode::Tls);
  }
  void TearDown() override {
    UseCertificateAuthorities("");
    HttpExchangeTest::TearDown();
  }
  std::unique_ptr<LoopbackServer> secure;
};

TEST_F(HttpsExchangeTest, UntrustedCertificateGivesEmptyBody) {
  secure->Answer("/", LoopbackServer::Response("secret"));
  Text url = secure->Url("/");
  EXPECT_EQ(GuardedRequest(url), "");
  EXPECT_GE(secure->FailedHandshakes(), 1);  // it reached the explicit port, then refused
  EXPECT_TRUE(secure->Requests().empty());
}

TEST_F(HttpsExchangeTest, CertificateMustNameTheHost) {
  UseCertificateAuthorities(test::TestAuthorityFile());
  secure->Answer("/", LoopbackServer::Response("secret"));
  Text url = secure->Url("/", "localhost");  // the certificate names 127.0.0.1 only
  EXPECT_EQ(GuardedRequest(url), "");
  EXPECT_TRUE(secure->Requests().empty());
}

TEST_F(HttpsExchangeTest, TrustedServerOnItsOwnPort) {
  UseCertificateAuthorities(test::TestAuthorityFile());
  secure->Answer("/page?q=1", LoopbackServer::Response("secure page"));
  Text url = secure->Url("/page?q=1");
  EXPECT_EQ(GuardedRequest(url), "secure page");
  const std::string expected =
      "GET /page?q=1 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(secure->Port()) +
      "\r\nUser-Agent: " + kDefaultUserAgent + "\r\n" + kAccept + "Referer: " + url + "\r\n" +
      kLanguage + "\r\n";
  EXPECT_EQ(secure->LastRequest(), expected);
}

TEST_F(HttpsExchangeTest, RedirectAndCookieRulesHoldForHttps) {
  UseCertificateAuthorities(test::TestAuthorityFile());
  secure->Answer("/old", LoopbackServer::Response("moved", "Location: /new\r\n", "302 Found"));
  secure->Answer("/new", LoopbackServer::Response("final"));
  secure->Answer("/set", LoopbackServer::Response("set", "Set-Cookie: s=1; path=/\r\n"));

  Text url = secure->Url("/old");
  RequestOptions noFollow;
  noFollow.followRedirects = false;
  EXPECT_EQ(GuardedRequest(url, noFollow), "moved");
  url = secure->Url("/old");
  EXPECT_EQ(GuardedRequest(url), "final");

  url = secure->Url("/set");
  GuardedRequest(url);
  url = secure->Url("/new");
  RequestOptions own;
  own.cookies = "mine=1";
  EXPECT_EQ(GuardedRequest(url, own), "final");
  const std::string head = Head(secure->LastRequest());
  EXPECT_NE(head.find("\r\nCookie: mine=1\r\n"), std::string::npos) << head;
  EXPECT_EQ(head.find("s=1"), std::string::npos) << head;
  url = secure->Url("/new");
  GuardedRequest(url);
  EXPECT_NE(Head(secure->LastRequest()).find("\r\nCookie: s=1\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qw
