#include "web/guarded_request.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "support/loopback_server.h"
#include "text/codepage.h"
#include "web/http_exchange.h"
#include "window/memory_window.h"

namespace qw {
namespace {

using test::LoopbackServer;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

class GuardedRequestTest : public ::testing::Test {
 protected:
  void SetUp() override { ForgetStoredCookies(); }
  LoopbackServer server;
};

TEST(TimeoutMessage, IsTheGbkText) {
  const Text message = TimeoutMessage();
  // 超时返回 then the full-width comma A3 AC; the name inside the full-width quotes A3 A2.
  EXPECT_EQ(message.substr(0, 10), "\xB3\xAC\xCA\xB1\xB7\xB5\xBB\xD8\xA3\xAC");
  EXPECT_NE(message.find("\xA3\xA2\xB3\xAC\xCA\xB1\xB7\xB5\xBB\xD8\xA3\xA2"), std::string::npos);
  EXPECT_EQ(Utf8(message),
            "超时返回，指定网站不能访问，或者你的网络出现问题，你可以把参数中的＂超时返回＂的值设置"
            "长一些。");
}

TEST_F(GuardedRequestTest, MonitorRequestBytesOnTheWire) {
  server.Answer("/forum.php?mod=forumdisplay&fid=2&inajax=1",
                LoopbackServer::Response("<root>list</root>"));
  Text url = server.Url("/forum.php?mod=forumdisplay&fid=2&inajax=1");
  EXPECT_EQ(GuardedRequest(url), "<root>list</root>");
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string expected =
      "GET /forum.php?mod=forumdisplay&fid=2&inajax=1 HTTP/1.1\r\n"
      "Host: 127.0.0.1:" +
      std::to_string(server.Port()) +
      "\r\n"
      "User-Agent: " +
      std::string(kDefaultUserAgent) + "\r\n" + kDefaultAcceptLine + "Referer: " + url + "\r\n" +
      "Accept-Language: zh-cn\r\n\r\n";
  EXPECT_EQ(server.Requests()[0], expected);
}

TEST_F(GuardedRequestTest, OutputsWrittenAfterAFetch) {
  server.Answer("/c", LoopbackServer::Response("c", "Set-Cookie: a=1; path=/\r\n"));
  server.Answer("/plain", LoopbackServer::Response("p"));
  const struct {
    const char* target;
    Text cookies;
  } cases[] = {{"/c", "a=1;"}, {"/plain", ""}};
  for (const auto& c : cases) {
    Text url = server.Url(c.target);
    Text headers = "before";
    Text cookies = "before";
    RequestOptions options;
    options.returnedHeaders = &headers;
    options.returnedCookies = &cookies;
    GuardedRequest(url, options);
    EXPECT_EQ(headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << headers;
    EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");
    EXPECT_EQ(cookies, c.cookies);
  }
}

TEST_F(GuardedRequestTest, TimesOutAgainstASilentServer) {
  server.Stall("/silent");
  Text url = server.Url("/silent");
  Text headers = "untouched";
  Text cookies = "untouched";
  RequestOptions options;
  options.timeoutSeconds = 1;
  options.resultType = 1;  // not applied to the message
  options.returnedHeaders = &headers;
  options.returnedCookies = &cookies;
  const auto start = Clock::now();
  EXPECT_EQ(GuardedRequest(url, options), TimeoutMessage());
  const auto elapsed = Since(start);
  EXPECT_GE(elapsed, 1000ms);
  EXPECT_LT(elapsed, 1600ms);
  EXPECT_EQ(headers, "untouched");
  EXPECT_EQ(cookies, "untouched");
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(server.WaitIdle(2s));  // the abandoned exchange closed its connection
}

TEST_F(GuardedRequestTest, ZeroOrNegativeTimeoutExpiresAtOnce) {
  server.Answer("/fast", LoopbackServer::Response("page"));
  for (int seconds : {0, -3}) {
    Text url = server.Url("/fast");
    RequestOptions options;
    options.timeoutSeconds = seconds;
    const auto start = Clock::now();
    EXPECT_EQ(GuardedRequest(url, options), TimeoutMessage()) << seconds;
    EXPECT_LT(Since(start), 500ms) << seconds;
  }
}

TEST_F(GuardedRequestTest, StopReturnsEmptyWithin100Ms) {
  server.Stall("/silent");
  std::stop_source stop;
  Text url = server.Url("/silent");
  auto fetch = std::async(std::launch::async, [&] {
    const Bytes result = GuardedRequest(url, {}, stop.get_token());
    return std::make_pair(result, Clock::now());
  });
  ASSERT_TRUE(server.WaitForRequests(1, 5s));
  std::this_thread::sleep_for(300ms);  // well into the silent wait
  const auto stopped = Clock::now();
  stop.request_stop();
  const auto [result, returned] = fetch.get();
  EXPECT_EQ(result, "");
  EXPECT_LT(returned - stopped, 100ms);
  EXPECT_TRUE(server.WaitIdle(2s));
}

TEST_F(GuardedRequestTest, AFetchIsNotHeldBehindAStalledOne) {
  server.Stall("/silent");
  server.Answer("/page", LoopbackServer::Response("page"));
  std::stop_source stop;
  Text silent = server.Url("/silent");
  auto stalled =
      std::async(std::launch::async, [&] { return GuardedRequest(silent, {}, stop.get_token()); });
  ASSERT_TRUE(server.WaitForRequests(1, 5s));

  Text page = server.Url("/page");
  const auto start = Clock::now();
  EXPECT_EQ(GuardedRequest(page), "page");
  EXPECT_LT(Since(start), 1000ms);
  stop.request_stop();
  EXPECT_EQ(stalled.get(), "");
}

TEST_F(GuardedRequestTest, BlankAddressMakesNoRequest) {
  for (const Text& blank : {Text(""), Text("   "), Text("\xA1\xA1"), Text(" \xA1\xA1 ")}) {
    Text url = blank;
    Text headers = "untouched";
    RequestOptions options;
    options.returnedHeaders = &headers;
    options.proxy = "127.0.0.1:" + std::to_string(server.Port());  // would see a request
    EXPECT_EQ(GuardedRequest(url, options), "");
    EXPECT_EQ(url, blank);
    EXPECT_EQ(headers, "untouched");
  }
  EXPECT_EQ(server.Connections(), 0);
}

TEST_F(GuardedRequestTest, SchemeRuleWritesTheAddressBack) {
  const struct {
    Text in, out;
  } cases[] = {
      {"bbs.example.com/forum.php", "http://bbs.example.com/forum.php"},
      {"HTTP://bbs.example.com/", "http://HTTP://bbs.example.com/"},
      {"Https://bbs.example.com/", "http://Https://bbs.example.com/"},
      {" http://bbs.example.com/", "http:// http://bbs.example.com/"},
      {"http://bbs.example.com/", "http://bbs.example.com/"},
      {"https://bbs.example.com/", "https://bbs.example.com/"},
  };
  // An already stopped request applies the rule and then makes no request.
  std::stop_source stopped;
  stopped.request_stop();
  for (const auto& c : cases) {
    Text url = c.in;
    EXPECT_EQ(GuardedRequest(url, {}, stopped.get_token()), "");
    EXPECT_EQ(url, c.out);
  }

  server.Answer("/x", LoopbackServer::Response("found"));
  Text bare = "127.0.0.1:" + std::to_string(server.Port()) + "/x";
  EXPECT_EQ(GuardedRequest(bare), "found");
  EXPECT_EQ(bare, server.Url("/x"));
}

TEST_F(GuardedRequestTest, ResultTypeDecodesTheBody) {
  const Bytes utf8 = "最新更新";
  const Bytes big5 = "\xC5\xE9\xA8\x7C";  // 體育
  server.Answer("/utf8", LoopbackServer::Response(utf8 + Bytes("\0tail", 5)));
  server.Answer("/big5", LoopbackServer::Response(big5 + Bytes("\0tail", 5)));
  const struct {
    const char* target;
    std::optional<int> type;
    Bytes expected;
  } cases[] = {
      {"/utf8", std::nullopt, utf8 + Bytes("\0tail", 5)},
      {"/utf8", 0, utf8 + Bytes("\0tail", 5)},
      {"/utf8", 3, utf8 + Bytes("\0tail", 5)},
      {"/utf8", 1, Gbk("最新更新")},     // the text ends at the zero byte
      {"/big5", 2, "\xCC\xE5\xD3\xFD"},  // 体育 in GBK
  };
  for (const auto& c : cases) {
    Text url = server.Url(c.target);
    RequestOptions options;
    options.resultType = c.type;
    EXPECT_EQ(GuardedRequest(url, options), c.expected) << c.target << " " << c.type.value_or(-1);
  }
}

TEST_F(GuardedRequestTest, RepeatedTimeoutsLeaveNoThreadsOrFiles) {
  if (test::ThreadCount() < 0) GTEST_SKIP() << "no /proc";
  server.Stall("/silent");
  Text url = server.Url("/silent");
  RequestOptions options;
  options.timeoutSeconds = 0;
  GuardedRequest(url, options);  // lets libcurl set up what it keeps for the process
  ASSERT_TRUE(server.WaitIdle(5s));
  const int threads = test::ThreadCount();
  const int files = test::OpenFileCount();

  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(GuardedRequest(url, options), TimeoutMessage());
  }
  ASSERT_TRUE(server.WaitIdle(5s));
  // An ending thread can linger in the task list for a moment. Fewer than before is fine:
  // what an earlier test left behind may have closed meanwhile.
  const auto deadline = Clock::now() + 2s;
  while ((test::ThreadCount() > threads || test::OpenFileCount() > files) &&
         Clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_LE(test::ThreadCount(), threads);
  EXPECT_LE(test::OpenFileCount(), files);
}

class CountingWindow : public MemoryWindow {
 public:
  void HandlePendingEvents() override { ++handled; }
  std::atomic<int> handled{0};
};

TEST_F(GuardedRequestTest, WindowEventsHandledWhileWaiting) {
  server.Stall("/silent");
  CountingWindow window;
  Text url = server.Url("/silent");
  RequestOptions options;
  options.timeoutSeconds = 1;
  EXPECT_EQ(GuardedRequest(url, options, {}, &window), TimeoutMessage());
  // Events are handled in short slices, not once at the end.
  EXPECT_GE(window.handled.load(), 20);
}

}  // namespace
}  // namespace qw
