// Fetching a 100 KB page from a loopback server: GuardedRequest (hand-over to an exchange
// thread, hand-off file, multi handle, shared cookie store) against a bare libcurl easy
// transfer of the same page. Both open a new connection for every fetch.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>
#include <thread>

#include "support/loopback_server.h"
#include "web/guarded_request.h"

namespace {

constexpr std::size_t kPageBytes = 100 * 1024;

qw::test::LoopbackServer& Server() {
  static qw::test::LoopbackServer* server = [] {
    auto* s = new qw::test::LoopbackServer;
    s->Answer("/forum.php?mod=forumdisplay&fid=2&inajax=1",
              qw::test::LoopbackServer::Response(std::string(kPageBytes, 'p')));
    return s;
  }();
  return *server;
}

std::string PageUrl() { return Server().Url("/forum.php?mod=forumdisplay&fid=2&inajax=1"); }

void GuardedFetch(benchmark::State& state) {
  const std::string address = PageUrl();
  for (auto _ : state) {
    qw::Text url = address;
    const qw::Bytes page = qw::GuardedRequest(url);
    if (page.size() != kPageBytes) state.SkipWithError("short page");
    benchmark::DoNotOptimize(page.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPageBytes));
}

std::size_t Append(char* data, std::size_t, std::size_t n, void* out) {
  static_cast<std::string*>(out)->append(data, n);
  return n;
}

void BareCurlFetch(benchmark::State& state) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  const std::string address = PageUrl();
  for (auto _ : state) {
    std::string page;
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &page);
    curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    if (page.size() != kPageBytes) state.SkipWithError("short page");
    benchmark::DoNotOptimize(page.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPageBytes));
}

// What starting and joining a thread costs by itself: the price the kept exchange threads
// save on every fetch.
void ThreadStartAndJoin(benchmark::State& state) {
  for (auto _ : state) {
    std::thread thread([] {});
    thread.join();
  }
}

// Wall time: the guarded fetch does its work on another thread while the caller waits.
BENCHMARK(BareCurlFetch)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(GuardedFetch)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(ThreadStartAndJoin)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
