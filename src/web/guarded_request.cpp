#include "web/guarded_request.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "text/codepage.h"
#include "web/charset.h"
#include "web/http_exchange.h"
#include "web/request_record.h"
#include "window/window_ops.h"

namespace qw {
namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting window thread gets to handle its events.
constexpr auto kEventSlice = std::chrono::milliseconds(10);

// What the caller and the exchange thread share. Both hold it, so an exchange that outlives
// its caller's interest still writes only into memory that is alive.
struct Exchange {
  HandoffFile file;
  std::mutex mutex;
  std::condition_variable_any finished;
  bool done = false;
  bool failed = false;
};

enum class Outcome { Finished, TimedOut, Stopped };

// The threads that carry out exchanges, kept for the next request: starting a thread costs
// about as much as a whole fetch from a nearby server. A thread left idle for a minute ends.
// Never destroyed, so that a thread finishing at exit still finds it.
class ExchangeThreads {
 public:
  static ExchangeThreads& Instance() {
    static auto* threads = new ExchangeThreads;
    return *threads;
  }

  // Runs work on an idle thread, or on a new one, and then finish once the thread counts as
  // idle again, so that a caller that waits for finish finds the thread ready for its next
  // request. False when no thread could be started.
  bool Run(std::function<void()> work, std::function<void()> finish) {
    Job job{std::move(work), std::move(finish)};
    std::lock_guard lock(mutex_);
    if (idle_ > 0) {
      --idle_;
      jobs_.push_back(std::move(job));
      wake_.notify_one();
      return true;
    }
    try {
      std::thread([this, first = std::move(job)]() mutable { Serve(std::move(first)); }).detach();
    } catch (const std::system_error&) {
      return false;
    }
    return true;
  }

 private:
  static constexpr auto kIdleLifetime = std::chrono::minutes(1);

  struct Job {
    std::function<void()> work;
    std::function<void()> finish;
  };

  void Serve(Job job) {
    for (;;) {
      job.work();
      {
        std::lock_guard lock(mutex_);
        ++idle_;
      }
      job.finish();
      job = {};
      std::unique_lock lock(mutex_);
      if (!wake_.wait_for(lock, kIdleLifetime, [this] { return !jobs_.empty(); })) {
        --idle_;
        return;
      }
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  int idle_ = 0;  // threads done with their work and not yet promised another job
};

}  // namespace

Text TimeoutMessage() {
  return Gbk(
      "超时返回，指定网站不能访问，或者你的网络出现问题，你可以把参数中的＂超时返回＂的值设置长"
      "一些。");
}

Bytes GuardedRequest(Text& url, const RequestOptions& options, std::stop_token stop,
                     WindowOps* window) {
  if (TrimBlanks(url).empty()) return {};
  if (url.compare(0, 7, "http://") != 0 && url.compare(0, 8, "https://") != 0) {
    url = "http://" + url;
  }
  if (stop.stop_requested()) return {};

  RequestRecord record;
  record[0] = url;
  record[1] = options.method.value_or(0) == 1 ? "POST" : "GET";
  record[2] = options.proxy.value_or(Text());
  record[3] = options.headers.value_or(Text());
  record[4] = options.postData.value_or(Bytes());
  record[5] = options.cookies.value_or(Text());
  record[6] = Gbk(options.followRedirects.value_or(true) ? "真" : "假");

  auto exchange = std::make_shared<Exchange>();
  if (!exchange->file.WriteRecord(record)) return {};

  std::stop_source cancel;
  // Without an exchange thread nothing will finish, so the wait below ends as a time-out.
  const bool started = ExchangeThreads::Instance().Run(
      [exchange, token = cancel.get_token()] {
        try {
          HttpExchange(exchange->file, token);
        } catch (...) {  // out of memory: a failed fetch, not the end of the program
          std::lock_guard lock(exchange->mutex);
          exchange->failed = true;
        }
      },
      [exchange] {
        {
          std::lock_guard lock(exchange->mutex);
          exchange->done = true;
        }
        exchange->finished.notify_all();  // the job still holds exchange
      });

  const auto start = Clock::now();
  const std::int64_t timeoutMs =
      options.timeoutSeconds ? std::int64_t{*options.timeoutSeconds} * 1000 : 60000;
  const auto deadline = start + std::chrono::milliseconds(timeoutMs);

  Outcome outcome = Outcome::TimedOut;  // set by the loop below
  {
    std::unique_lock lock(exchange->mutex);
    for (;;) {
      const auto until =
          window != nullptr ? std::min(Clock::now() + kEventSlice, deadline) : deadline;
      exchange->finished.wait_until(lock, stop, until, [&] { return exchange->done; });
      // A fetch that ends in the same pass in which the time runs out counts as timed out.
      bool decided = true;
      if (Clock::now() >= deadline) {
        outcome = Outcome::TimedOut;
      } else if (stop.stop_requested()) {
        outcome = Outcome::Stopped;
      } else if (exchange->done) {
        outcome = Outcome::Finished;
      } else {
        decided = false;
      }
      if (window != nullptr) {
        lock.unlock();
        window->HandlePendingEvents();
        lock.lock();
      }
      if (decided) break;
    }
  }

  // An abandoned exchange is woken and ends by itself within moments; waiting for it keeps
  // threads and connections from piling up behind repeated time-outs.
  cancel.request_stop();
  if (started) {
    std::unique_lock lock(exchange->mutex);
    exchange->finished.wait(lock, [&] { return exchange->done; });
  }

  if (outcome == Outcome::TimedOut) return TimeoutMessage();
  if (outcome == Outcome::Stopped || exchange->failed) return {};

  if (!exchange->file.TakeRecord(record)) return std::move(record[0]);
  if (options.returnedHeaders != nullptr) *options.returnedHeaders = BytesToText(record[5]);
  if (options.returnedCookies != nullptr) *options.returnedCookies = BytesToText(record[1]);
  switch (options.resultType.value_or(0)) {
    case 1: return Utf8TextToGbk(BytesToText(record[0]));
    case 2: return Big5ToSimplifiedGbk(BytesToText(record[0]));
    default: return std::move(record[0]);
  }
}

}  // namespace qw
