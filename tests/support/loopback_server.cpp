#include "support/loopback_server.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#ifdef QW_TEST_TLS
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#endif

namespace qw::test {
namespace {

// Thin socket layer so the server builds with Winsock as well as POSIX sockets.
#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
using PollFd = WSAPOLLFD;
int PollSockets(PollFd* fds, std::size_t n, int ms) {
  return WSAPoll(fds, static_cast<ULONG>(n), ms);
}
void CloseSocket(Socket s) { closesocket(s); }
bool WouldBlock() { return WSAGetLastError() == WSAEWOULDBLOCK; }
void MakeNonBlocking(Socket s) {
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
}
struct WinsockStartup {
  WinsockStartup() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
};
void StartSockets() { static WinsockStartup startup; }
using IoSize = int;
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
using PollFd = pollfd;
int PollSockets(PollFd* fds, std::size_t n, int ms) { return poll(fds, n, ms); }
void CloseSocket(Socket s) { close(s); }
bool WouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }
void MakeNonBlocking(Socket s) { fcntl(s, F_SETFL, fcntl(s, F_GETFL) | O_NONBLOCK); }
void StartSockets() {}
using IoSize = std::size_t;
#endif

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif

Socket AsSocket(std::intptr_t s) { return static_cast<Socket>(s); }

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<unsigned short>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

int BoundPort(Socket s) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  return ntohs(a.sin_port);
}

bool SendAll(Socket s, std::string_view data) {
  while (!data.empty()) {
    auto n = send(s, data.data(), static_cast<IoSize>(data.size()), kSendFlags);
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Length of the first complete request in `data` (head and Content-Length body), 0 when it
// has not all arrived.
std::size_t CompleteRequestLength(const std::string& data) {
  const auto headEnd = data.find("\r\n\r\n");
  if (headEnd == std::string::npos) return 0;
  const std::string head = Lower(data.substr(0, headEnd + 2));
  std::size_t bodyLength = 0;
  const auto at = head.find("\r\ncontent-length:");
  if (at != std::string::npos) {
    bodyLength = std::strtoul(head.c_str() + at + 17, nullptr, 10);
  }
  const std::size_t total = headEnd + 4 + bodyLength;
  return data.size() >= total ? total : 0;
}

std::string RequestTarget(const std::string& request) {
  const auto a = request.find(' ');
  if (a == std::string::npos) return {};
  const auto b = request.find(' ', a + 1);
  if (b == std::string::npos) return {};
  return request.substr(a + 1, b - a - 1);
}

// Passes a proxied request on to its origin, in origin form, and returns the raw answer.
std::string Forward(const std::string& request, const std::string& target) {
  const std::string rest = target.substr(7);  // after "http://"
  const auto slash = rest.find('/');
  const std::string authority = rest.substr(0, slash);
  const std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
  const auto colon = authority.find(':');
  const std::string host = authority.substr(0, colon);
  const int port = colon == std::string::npos ? 80 : std::atoi(authority.c_str() + colon + 1);
  const std::string bad = LoopbackServer::Response("bad gateway", {}, "502 Bad Gateway");
  if (host != "127.0.0.1" && host != "localhost") return bad;

  Socket s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == kNoSocket) return bad;
  sockaddr_in a = LoopbackAddress(port);
  std::string answer;
  if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    const auto lineEnd = request.find("\r\n");
    const auto methodEnd = request.find(' ');
    const auto targetEnd = request.find(' ', methodEnd + 1);
    const std::string rewritten = request.substr(0, methodEnd + 1) + path +
                                  request.substr(targetEnd, lineEnd - targetEnd) +
                                  request.substr(lineEnd);
    if (SendAll(s, rewritten)) {
      char buffer[16384];
      for (;;) {
        auto n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        answer.append(buffer, static_cast<std::size_t>(n));
      }
    }
  }
  CloseSocket(s);
  return answer.empty() ? bad : answer;
}

#ifdef QW_TEST_TLS
// A test authority and a certificate it issued for 127.0.0.1, made once per process.
struct TestIdentity {
  EVP_PKEY* authorityKey = nullptr;
  X509* authority = nullptr;
  EVP_PKEY* serverKey = nullptr;
  X509* server = nullptr;
  std::string authorityFile;

  TestIdentity() {
    authorityKey = EVP_EC_gen("P-256");
    serverKey = EVP_EC_gen("P-256");
    authority = Issue(authorityKey, "Quillwatch Test Authority", nullptr, authorityKey, true);
    server = Issue(serverKey, "127.0.0.1", authority, authorityKey, false);
    // A port just bound makes the name unique among the processes running now.
    const auto path = std::filesystem::temp_directory_path() /
                      ("quillwatch-test-authority-" + std::to_string(ClosedPort()) + ".pem");
    BIO* out = BIO_new_file(path.string().c_str(), "w");
    if (out == nullptr) throw std::runtime_error("cannot write the test authority");
    PEM_write_bio_X509(out, authority);
    BIO_free(out);
    authorityFile = path.string();
  }
  ~TestIdentity() {
    std::error_code ignored;
    std::filesystem::remove(authorityFile, ignored);
    X509_free(server);
    X509_free(authority);
    EVP_PKEY_free(serverKey);
    EVP_PKEY_free(authorityKey);
  }

  static void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (ext == nullptr) throw std::runtime_error("bad certificate extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
  }

  static X509* Issue(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey,
                     bool isAuthority) {
    static long serial = 1;
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial++);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600L * 24 * 30);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509_set_issuer_name(cert, issuer != nullptr ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer != nullptr ? issuer : cert;
    AddExtension(cert, signer, NID_subject_key_identifier, "hash");
    if (isAuthority) {
      AddExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
      AddExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
      AddExtension(cert, signer, NID_authority_key_identifier, "keyid:always");
      AddExtension(cert, signer, NID_basic_constraints, "critical,CA:FALSE");
      AddExtension(cert, signer, NID_key_usage, "critical,digitalSignature");
      AddExtension(cert, signer, NID_ext_key_usage, "serverAuth");
      AddExtension(cert, signer, NID_subject_alt_name, "IP:127.0.0.1");
    }
    X509_sign(cert, issuerKey, EVP_sha256());
    return cert;
  }
};

TestIdentity& Identity() {
  static TestIdentity identity;
  return identity;
}
#endif

}  // namespace

struct LoopbackServer::Connection {
  Socket fd = kNoSocket;
#ifdef QW_TEST_TLS
  SSL* ssl = nullptr;
  bool handshaken = false;
#endif
  std::string in;
  std::string out;
  std::size_t sent = 0;
  bool answered = false;  // out holds the whole answer
  bool stalled = false;
};

struct LoopbackServer::TlsContext {
#ifdef QW_TEST_TLS
  SSL_CTX* ctx = nullptr;
  TlsContext() {
    TestIdentity& id = Identity();
    ctx = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(ctx, id.server);
    SSL_CTX_use_PrivateKey(ctx, id.serverKey);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  }
  ~TlsContext() { SSL_CTX_free(ctx); }
#endif
};

LoopbackServer::LoopbackServer(Mode mode) : mode_(mode) {
  StartSockets();
  if (mode_ == Mode::Tls) {
    if (!HasTlsSupport()) throw std::runtime_error("built without TLS support");
    tls_ = std::make_unique<TlsContext>();
  }
  Socket s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == kNoSocket) throw std::runtime_error("no socket");
  sockaddr_in a = LoopbackAddress(0);
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 512) != 0) {
    CloseSocket(s);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  MakeNonBlocking(s);
  listener_ = static_cast<std::intptr_t>(s);
  port_ = BoundPort(s);
  thread_ = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer() { Stop(); }

void LoopbackServer::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ != -1) {
    CloseSocket(AsSocket(listener_));
    listener_ = -1;
  }
}

std::string LoopbackServer::Url(std::string_view target, std::string_view host) const {
  return std::string(mode_ == Mode::Tls ? "https://" : "http://") + std::string(host) + ":" +
         std::to_string(port_) + std::string(target);
}

void LoopbackServer::Answer(const std::string& target, const std::string& rawResponse) {
  std::lock_guard lock(mutex_);
  answers_[target] = rawResponse;
}

void LoopbackServer::Stall(const std::string& target) {
  std::lock_guard lock(mutex_);
  stalled_.insert(target);
}

void LoopbackServer::ForwardAsProxy(bool on) {
  std::lock_guard lock(mutex_);
  forward_ = on;
}

std::vector<std::string> LoopbackServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::string LoopbackServer::LastRequest() const {
  std::lock_guard lock(mutex_);
  return requests_.empty() ? std::string() : requests_.back();
}

bool LoopbackServer::WaitForRequests(std::size_t n, std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return requests_.size() >= n; });
}

int LoopbackServer::Connections() const {
  std::lock_guard lock(mutex_);
  return accepted_;
}

int LoopbackServer::OpenConnections() const {
  std::lock_guard lock(mutex_);
  return open_;
}

bool LoopbackServer::WaitIdle(std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return open_ == 0; });
}

int LoopbackServer::FailedHandshakes() const {
  std::lock_guard lock(mutex_);
  return failedHandshakes_;
}

std::string LoopbackServer::Response(std::string_view body, std::string_view extraHeaders,
                                     std::string_view status) {
  std::string r = "HTTP/1.1 " + std::string(status) + "\r\n";
  r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  r += extraHeaders;
  r += "Connection: close\r\n\r\n";
  r += body;
  return r;
}

void LoopbackServer::Run() {
#ifndef _WIN32
  // OpenSSL writes with write(): a client that hangs up must give EPIPE here, not a signal
  // that ends the test process. Only this thread is shielded.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
#endif
  std::vector<PollFd> fds;
  while (!stopping_) {
    fds.clear();
    fds.push_back(PollFd{AsSocket(listener_), POLLIN, 0});
    for (const auto& c : connections_) {
      short events = POLLIN;
      if (c->answered && c->sent < c->out.size()) events |= POLLOUT;
      fds.push_back(PollFd{c->fd, events, 0});
    }
    if (PollSockets(fds.data(), fds.size(), 20) <= 0) continue;
    if (fds[0].revents & POLLIN) Accept();
    // Accept() only appends, so the first fds.size() - 1 connections match fds[1..].
    std::vector<std::unique_ptr<Connection>> kept;
    for (std::size_t i = 0; i < connections_.size(); ++i) {
      auto& c = connections_[i];
      bool keep = true;
      if (i + 1 < fds.size() && fds[i + 1].revents != 0) {
        const auto ev = fds[i + 1].revents;
        keep = Service(*c, (ev & (POLLIN | POLLHUP | POLLERR)) != 0, (ev & POLLOUT) != 0);
      }
      if (keep) {
        kept.push_back(std::move(c));
        continue;
      }
#ifdef QW_TEST_TLS
      if (c->ssl != nullptr) {
        if (c->handshaken) SSL_shutdown(c->ssl);
        SSL_free(c->ssl);
      }
#endif
      CloseSocket(c->fd);
      std::lock_guard lock(mutex_);
      --open_;
      changed_.notify_all();
    }
    connections_ = std::move(kept);
  }
  for (auto& c : connections_) {
#ifdef QW_TEST_TLS
    if (c->ssl != nullptr) SSL_free(c->ssl);
#endif
    CloseSocket(c->fd);
  }
  connections_.clear();
  std::lock_guard lock(mutex_);
  open_ = 0;
  changed_.notify_all();
}

void LoopbackServer::Accept() {
  for (;;) {
    Socket s = accept(AsSocket(listener_), nullptr, nullptr);
    if (s == kNoSocket) return;
    MakeNonBlocking(s);
    auto c = std::make_unique<Connection>();
    c->fd = s;
#ifdef QW_TEST_TLS
    if (tls_) {
      c->ssl = SSL_new(tls_->ctx);
      SSL_set_fd(c->ssl, static_cast<int>(s));
    }
#endif
    connections_.push_back(std::move(c));
    std::lock_guard lock(mutex_);
    ++accepted_;
    ++open_;
    changed_.notify_all();
  }
}

bool LoopbackServer::Service(Connection& c, bool readable, bool writable) {
#ifdef QW_TEST_TLS
  if (c.ssl != nullptr && !c.handshaken) {
    const int r = SSL_accept(c.ssl);
    if (r != 1) {
      const int e = SSL_get_error(c.ssl, r);
      if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) return true;
      ERR_clear_error();
      std::lock_guard lock(mutex_);
      ++failedHandshakes_;
      return false;
    }
    c.handshaken = true;
    readable = true;  // the handshake may have brought application data along
  }
#endif
  if (readable && !ReadAvailable(c)) return false;
  TakeRequests(c);
  if (c.answered && (writable || c.sent == 0)) {
    if (!WritePending(c)) return false;
    if (c.sent == c.out.size()) return false;  // answered in full: close, as announced
  }
  return true;
}

bool LoopbackServer::ReadAvailable(Connection& c) {
  char buffer[16384];
  for (;;) {
#ifdef QW_TEST_TLS
    if (c.ssl != nullptr) {
      const int n = SSL_read(c.ssl, buffer, sizeof buffer);
      if (n > 0) {
        c.in.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      const int e = SSL_get_error(c.ssl, n);
      ERR_clear_error();
      return e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE;
    }
#endif
    auto n = recv(c.fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      c.in.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) return false;
    return WouldBlock();
  }
}

bool LoopbackServer::WritePending(Connection& c) {
  while (c.sent < c.out.size()) {
    const char* data = c.out.data() + c.sent;
    const std::size_t left = c.out.size() - c.sent;
#ifdef QW_TEST_TLS
    if (c.ssl != nullptr) {
      const int n = SSL_write(c.ssl, data, static_cast<int>(std::min<std::size_t>(left, 1 << 20)));
      if (n > 0) {
        c.sent += static_cast<std::size_t>(n);
        continue;
      }
      const int e = SSL_get_error(c.ssl, n);
      ERR_clear_error();
      return e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE;
    }
#endif
    auto n = send(c.fd, data, static_cast<IoSize>(left), kSendFlags);
    if (n > 0) {
      c.sent += static_cast<std::size_t>(n);
      continue;
    }
    return n < 0 && WouldBlock();
  }
  return true;
}

void LoopbackServer::TakeRequests(Connection& c) {
  while (!c.answered && !c.stalled) {
    const std::size_t length = CompleteRequestLength(c.in);
    if (length == 0) return;
    std::string request = c.in.substr(0, length);
    c.in.erase(0, length);
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
      changed_.notify_all();
    }
    std::string answer = ResponseFor(request);
    if (answer.empty()) {
      c.stalled = true;
    } else {
      c.out = std::move(answer);
      c.answered = true;
    }
  }
}

std::string LoopbackServer::ResponseFor(const std::string& request) {
  const std::string target = RequestTarget(request);
  bool forward = false;
  {
    std::lock_guard lock(mutex_);
    if (stalled_.count(target) != 0) return {};
    const auto found = answers_.find(target);
    if (found != answers_.end()) return found->second;
    forward = forward_ && target.rfind("http://", 0) == 0;
  }
  if (forward) return Forward(request, target);
  return Response("not found", {}, "404 Not Found");
}

std::string TestAuthorityFile() {
#ifdef QW_TEST_TLS
  return Identity().authorityFile;
#else
  return {};
#endif
}

bool HasTlsSupport() {
#ifdef QW_TEST_TLS
  return true;
#else
  return false;
#endif
}

int ClosedPort() {
  StartSockets();
  Socket s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = LoopbackAddress(0);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  const int port = BoundPort(s);
  CloseSocket(s);
  return port;
}

namespace {
int CountEntries(const char* folder) {
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  if (error) return -1;
  int n = 0;
  for (; it != std::filesystem::directory_iterator(); it.increment(error)) ++n;
  return n;
}
}  // namespace

int ThreadCount() { return CountEntries("/proc/self/task"); }
int OpenFileCount() { return CountEntries("/proc/self/fd"); }

}  // namespace qw::test
