#include "health/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace morvane::testing {
namespace {

constexpr long kDay = 24 * 60 * 60;

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  X509_add_ext(cert, extension, -1);
  X509_EXTENSION_free(extension);
}

X509* NewCertificate(EVP_PKEY* key, const char* commonName, long fromDays, long toDays, long serial) {
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert), fromDays * kDay);
  X509_gmtime_adj(X509_getm_notAfter(cert), toDays * kDay);
  X509_set_pubkey(cert, key);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(cert), "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  return cert;
}

}  // namespace

TestAnswer Answer(int status, std::string body, std::string extraHeaders, std::string contentType) {
  std::string bytes = "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Type: " + contentType +
                      "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" +
                      extraHeaders + "\r\n" + body;
  return {TestAnswer::Kind::Once, std::move(bytes)};
}

TestCertificates::TestCertificates(const std::string& caFile) {
  EVP_PKEY* caKey = EVP_EC_gen("P-256");
  X509* ca = NewCertificate(caKey, "Morvane Test CA", -30, 365, 1);
  X509_set_issuer_name(ca, X509_get_subject_name(ca));
  AddExtension(ca, ca, NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(ca, ca, NID_key_usage, "critical,keyCertSign,cRLSign");
  X509_sign(ca, caKey, EVP_sha256());
  if (std::FILE* f = std::fopen(caFile.c_str(), "w")) {
    PEM_write_X509(f, ca);
    std::fclose(f);
  }
  caKey_ = caKey;
  ca_ = ca;
}

void* TestCertificates::ServerContext(long validFromDays, long validToDays) {
  auto* ca = static_cast<X509*>(ca_);
  EVP_PKEY* serverKey = EVP_EC_gen("P-256");
  X509* server =
      NewCertificate(serverKey, "127.0.0.1", validFromDays, validToDays, static_cast<long>(contexts_.size()) + 2);
  X509_set_issuer_name(server, X509_get_subject_name(ca));
  AddExtension(server, ca, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
  X509_sign(server, static_cast<EVP_PKEY*>(caKey_), EVP_sha256());
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  SSL_CTX_use_certificate(context, server);
  SSL_CTX_use_PrivateKey(context, serverKey);
  X509_free(server);
  EVP_PKEY_free(serverKey);
  contexts_.push_back(context);
  return context;
}

TestCertificates::~TestCertificates() {
  for (void* context : contexts_) SSL_CTX_free(static_cast<SSL_CTX*>(context));
  X509_free(static_cast<X509*>(ca_));
  EVP_PKEY_free(static_cast<EVP_PKEY*>(caKey_));
}

LoopbackServer::LoopbackServer(Handler handler, void* tls, int maxConnections, std::chrono::seconds lifetime,
                               std::string host)
    : handler_(std::move(handler)),
      tls_(tls),
      maxConnections_(maxConnections),
      end_(std::chrono::steady_clock::now() + lifetime),
      address_(std::move(host)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  if (::inet_pton(AF_INET, address_.c_str(), &where.sin_addr) != 1 || (ntohl(where.sin_addr.s_addr) >> 24) != 127)
    throw std::runtime_error("test servers listen on loopback only");
  sockaddr_in& address = where;
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 64) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("cannot listen on 127.0.0.1");
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stopped_.notify_all();
  acceptor_.join();
  for (std::thread& worker : workers_) worker.join();
  ::close(listener_);
}

std::string LoopbackServer::URL(const std::string& path) const {
  return std::string(tls_ ? "https" : "http") + "://" + address_ + ":" + std::to_string(port_) + path;
}

int LoopbackServer::ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);  // bound but never listening: a connection is refused
  return ntohs(address.sin_port);
}

void LoopbackServer::AcceptLoop() {
  while (!stopping_ && std::chrono::steady_clock::now() < end_ && connections_ < maxConnections_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 50) <= 0) continue;
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ++connections_;
    std::lock_guard lock(mutex_);
    workers_.emplace_back([this, fd] { Serve(fd); });
  }
}

void LoopbackServer::Serve(int fd) {
  SSL* ssl = nullptr;
  auto read = [&](char* buffer, int size) -> int {
    pollfd waiting{fd, POLLIN, 0};
    if (!ssl || SSL_pending(ssl) == 0)
      if (::poll(&waiting, 1, 2000) <= 0) return -1;
    return ssl ? SSL_read(ssl, buffer, size) : static_cast<int>(::read(fd, buffer, static_cast<std::size_t>(size)));
  };
  auto write = [&](const std::string& bytes) {
    return ssl ? SSL_write(ssl, bytes.data(), static_cast<int>(bytes.size())) > 0
               : ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  };
  bool ok = true;
  if (tls_) {
    ssl = SSL_new(static_cast<SSL_CTX*>(tls_));
    SSL_set_fd(ssl, fd);
    ok = SSL_accept(ssl) == 1;  // a client refusing the certificate ends it here
  }
  std::string request;
  char buffer[4096];
  while (ok && request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    const int n = read(buffer, sizeof buffer);
    if (n <= 0) ok = false;
    else request.append(buffer, static_cast<std::size_t>(n));
  }
  if (ok) {
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    const TestAnswer answer = handler_(path);
    if (answer.kind == TestAnswer::Kind::Never) {
      std::unique_lock lock(mutex_);
      stopped_.wait_until(lock, end_, [this] { return stopping_.load(); });
    } else if (answer.kind == TestAnswer::Kind::Endless) {
      const std::string chunk(16384, 'x');
      bool sent = write(answer.bytes);
      for (int i = 0; sent && !stopping_ && i < 4096; ++i) sent = write(chunk);  // 64 MB at most
    } else {
      write(answer.bytes);
    }
  }
  if (ssl) {
    SSL_shutdown(ssl);
    SSL_free(ssl);
  }
  ::close(fd);
}

}  // namespace morvane::testing
