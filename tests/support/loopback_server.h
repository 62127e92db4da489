// A tiny HTTP server on 127.0.0.1 for the web tests: it records every request byte for byte,
// answers each request target with a canned raw response, can leave a request unanswered,
// can forward requests as a plain HTTP proxy, and can speak TLS with a certificate issued by
// a test authority that no system trusts.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qw::test {

class LoopbackServer {
 public:
  enum class Mode { Plain, Tls };

  explicit LoopbackServer(Mode mode = Mode::Plain);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>" (https for a TLS server) followed by target; host replaces
  // 127.0.0.1 when given.
  std::string Url(std::string_view target, std::string_view host = "127.0.0.1") const;

  // The raw response sent for a request whose target is exactly `target` (the query
  // included). Targets without an answer get a 404.
  void Answer(const std::string& target, const std::string& rawResponse);
  // Requests for `target` are read and recorded but never answered.
  void Stall(const std::string& target);
  // Requests whose target is an absolute http:// address are passed on to that address and
  // its answer relayed, as a forward proxy does.
  void ForwardAsProxy(bool on);

  // Every complete request received so far (head and body), in arrival order.
  std::vector<std::string> Requests() const;
  std::string LastRequest() const;
  // Waits until at least n requests have arrived; false when the time runs out first.
  bool WaitForRequests(std::size_t n, std::chrono::milliseconds limit) const;
  // Connections accepted so far, and those still open.
  int Connections() const;
  int OpenConnections() const;
  // Waits until every accepted connection has been closed again.
  bool WaitIdle(std::chrono::milliseconds limit) const;
  // TLS handshakes the client broke off (for a TLS server).
  int FailedHandshakes() const;

  void Stop();

  // A complete response: status line, Content-Length, the extra header lines (each ended by
  // CRLF), "Connection: close", an empty line and the body.
  static std::string Response(std::string_view body, std::string_view extraHeaders = {},
                              std::string_view status = "200 OK");

 private:
  struct Connection;
  struct TlsContext;

  void Run();
  void Accept();
  bool Service(Connection& c, bool readable, bool writable);  // false: close it
  bool ReadAvailable(Connection& c);
  bool WritePending(Connection& c);
  void TakeRequests(Connection& c);
  std::string ResponseFor(const std::string& request);

  Mode mode_;
  std::intptr_t listener_ = -1;
  int port_ = 0;
  std::unique_ptr<TlsContext> tls_;
  std::vector<std::unique_ptr<Connection>> connections_;  // server thread only

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::map<std::string, std::string> answers_;
  std::set<std::string> stalled_;
  bool forward_ = false;
  std::vector<std::string> requests_;
  int accepted_ = 0;
  int open_ = 0;
  int failedHandshakes_ = 0;

  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// The PEM file of the authority that issued the TLS server's certificate (for
// 127.0.0.1 only); empty when the tests were built without TLS support.
std::string TestAuthorityFile();
bool HasTlsSupport();

// A port on 127.0.0.1 where nothing listens.
int ClosedPort();

// Counts of the process's threads and open file descriptors, where the system tells them;
// -1 otherwise.
int ThreadCount();
int OpenFileCount();

}  // namespace qw::test
