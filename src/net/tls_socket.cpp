#include "net/tls_socket.h"

#include <mbedtls/ctr_drbg.h>
#include <mbedtls/entropy.h>
#include <mbedtls/error.h>
#include <mbedtls/net_sockets.h>
#include <mbedtls/ssl.h>
#include <mbedtls/x509_crt.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>

#include "net/trust_roots.h"
#include "runtime/call_with_deadline.h"

namespace corvane {
namespace {

using runtime::MsLeft;
using runtime::Steady;

// Longest single wait before the idle function runs again.
constexpr int kSliceMs = 5;
// The largest TLS record's payload: one record is decrypted at a time.
constexpr std::size_t kRecordBytes = 16384;

// One random generator for every connection, seeded once from the system's
// entropy (the program is single-threaded in its network use).
mbedtls_ctr_drbg_context* Random() {
  struct Generator {
    Generator() {
      mbedtls_entropy_init(&entropy);
      mbedtls_ctr_drbg_init(&drbg);
      static const unsigned char kPersonal[] = "corvane tls";
      ok = mbedtls_ctr_drbg_seed(&drbg, mbedtls_entropy_func, &entropy, kPersonal, sizeof kPersonal - 1) == 0;
    }
    ~Generator() {
      mbedtls_ctr_drbg_free(&drbg);
      mbedtls_entropy_free(&entropy);
    }
    mbedtls_entropy_context entropy;
    mbedtls_ctr_drbg_context drbg;
    bool ok = false;
  };
  static Generator generator;
  return generator.ok ? &generator.drbg : nullptr;
}

// The plain socket as mbedTLS's transport.  Receiving never blocks: with no
// byte waiting it answers "want read" and the caller does the bounded wait.
int SendPlain(void* context, const unsigned char* data, std::size_t size) {
  auto* plain = static_cast<runtime::Socket*>(context);
  size = std::min<std::size_t>(size, INT_MAX);
  return plain->Send(data, size) ? static_cast<int>(size) : MBEDTLS_ERR_NET_SEND_FAILED;
}

int ReceivePlain(void* context, unsigned char* data, std::size_t size) {
  auto* plain = static_cast<runtime::Socket*>(context);
  int ready = plain->WaitReadable(0);
  if (ready < 0) return MBEDTLS_ERR_NET_RECV_FAILED;
  if (ready == 0) return MBEDTLS_ERR_SSL_WANT_READ;
  long long n = plain->Receive(data, std::min<std::size_t>(size, INT_MAX));
  return n < 0 ? MBEDTLS_ERR_NET_RECV_FAILED : static_cast<int>(n);
}

// mbedTLS 2.28 checks only DNS names and the common name; an address asked
// for must match an IP entry of the subjectAltName, checked here on the
// server's own certificate.  No match is a wrong host name, never a pass.
int CheckAddress(void* context, mbedtls_x509_crt* certificate, int depth, uint32_t* flags) {
  const std::string& address = *static_cast<const std::string*>(context);
  if (depth != 0 || address.empty()) return 0;
  constexpr int kIpTag = MBEDTLS_ASN1_CONTEXT_SPECIFIC | 7;
  for (const mbedtls_x509_sequence* name = &certificate->subject_alt_names; name; name = name->next) {
    if (name->buf.tag == kIpTag && name->buf.p && name->buf.len == address.size() &&
        std::memcmp(name->buf.p, address.data(), address.size()) == 0)
      return 0;
  }
  *flags |= MBEDTLS_X509_BADCERT_CN_MISMATCH;
  return 0;
}

std::string CertificateProblem(const std::string& host, uint32_t flags) {
  const std::string who = "the certificate of " + host;
  if (flags & MBEDTLS_X509_BADCERT_NOT_TRUSTED)
    return who + " is not trusted (its issuer is unknown or it signed itself); a private CA goes in CORVANE_CA_FILE";
  if (flags & MBEDTLS_X509_BADCERT_EXPIRED) return who + " has expired";
  if (flags & MBEDTLS_X509_BADCERT_FUTURE) return who + " is not valid yet";
  if (flags & MBEDTLS_X509_BADCERT_CN_MISMATCH) return who + " is for another host name";
  char text[256];
  mbedtls_x509_crt_verify_info(text, sizeof text, "", flags);
  std::string why(text);
  while (!why.empty() && why.back() == '\n') why.pop_back();
  return who + " is refused: " + why;
}

std::string HandshakeProblem(const std::string& host, int code) {
  const std::string failed = "the TLS handshake with " + host + " failed";
  switch (code) {
    case MBEDTLS_ERR_SSL_INVALID_RECORD:
    case MBEDTLS_ERR_SSL_BAD_HS_SERVER_HELLO:
      return failed + " (the server does not answer in TLS)";
    case MBEDTLS_ERR_SSL_CONN_EOF:
    case MBEDTLS_ERR_NET_RECV_FAILED:
    case MBEDTLS_ERR_NET_SEND_FAILED:
      return failed + " (the connection was closed)";
    case MBEDTLS_ERR_SSL_BAD_HS_PROTOCOL_VERSION:
      return failed + " (the server offers no TLS 1.2 or later)";
    default: {
      char text[200];
      mbedtls_strerror(code, text, sizeof text);
      return failed + " (" + text + ")";
    }
  }
}

class TlsSocket : public runtime::Socket {
 public:
  TlsSocket(std::unique_ptr<runtime::Socket> plain, const std::string& host)
      : plain_(std::move(plain)), address_(Ipv4Bytes(host)), buffer_(new unsigned char[kRecordBytes]) {
    mbedtls_ssl_init(&ssl_);
    mbedtls_ssl_config_init(&config_);
  }
  ~TlsSocket() override {
    Close();
    mbedtls_ssl_free(&ssl_);
    mbedtls_ssl_config_free(&config_);
  }

  // The handshake with every check; empty on success, else the problem.
  std::string Handshake(const std::string& host, int timeout_ms, const std::function<void()>& idle) {
    mbedtls_ctr_drbg_context* random = Random();
    if (!random) return "no random numbers for TLS: the system's entropy source failed";
    if (mbedtls_ssl_config_defaults(&config_, MBEDTLS_SSL_IS_CLIENT, MBEDTLS_SSL_TRANSPORT_STREAM,
                                    MBEDTLS_SSL_PRESET_DEFAULT) != 0)
      return HandshakeProblem(host, MBEDTLS_ERR_SSL_BAD_CONFIG);
    mbedtls_ssl_conf_min_version(&config_, MBEDTLS_SSL_MAJOR_VERSION_3, MBEDTLS_SSL_MINOR_VERSION_3);
    mbedtls_ssl_conf_authmode(&config_, MBEDTLS_SSL_VERIFY_REQUIRED);
    mbedtls_ssl_conf_ca_chain(&config_, TrustedRoots(), nullptr);
    mbedtls_ssl_conf_rng(&config_, mbedtls_ctr_drbg_random, random);
    mbedtls_ssl_conf_verify(&config_, &CheckAddress, &address_);
    if (mbedtls_ssl_setup(&ssl_, &config_) != 0) return HandshakeProblem(host, MBEDTLS_ERR_SSL_ALLOC_FAILED);
    // A name is sent as SNI and checked by mbedTLS; an address is checked
    // by CheckAddress (SNI carries no addresses).
    if (address_.empty() && mbedtls_ssl_set_hostname(&ssl_, host.c_str()) != 0)
      return HandshakeProblem(host, MBEDTLS_ERR_SSL_BAD_INPUT_DATA);
    mbedtls_ssl_set_bio(&ssl_, plain_.get(), &SendPlain, &ReceivePlain, nullptr);

    Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    for (;;) {
      int result = mbedtls_ssl_handshake(&ssl_);
      if (result == 0) return "";
      if (result == MBEDTLS_ERR_X509_CERT_VERIFY_FAILED)
        return CertificateProblem(host, mbedtls_ssl_get_verify_result(&ssl_));
      if (result != MBEDTLS_ERR_SSL_WANT_READ && result != MBEDTLS_ERR_SSL_WANT_WRITE)
        return HandshakeProblem(host, result);
      long long left = MsLeft(deadline);
      if (left <= 0) return "the TLS handshake with " + host + " timed out";
      if (plain_->WaitReadable(static_cast<int>(std::min<long long>(left, kSliceMs))) < 0)
        return HandshakeProblem(host, MBEDTLS_ERR_NET_RECV_FAILED);
      if (idle) idle();
    }
  }

  bool Send(const void* data, std::size_t size) override {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
      if (closed_) return false;
      int n = mbedtls_ssl_write(&ssl_, p, size);
      if (n == MBEDTLS_ERR_SSL_WANT_READ || n == MBEDTLS_ERR_SSL_WANT_WRITE) {
        if (plain_->WaitReadable(kSliceMs) < 0) return false;
        continue;
      }
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  long long Receive(void* data, std::size_t size) override {
    if (closed_) return -1;
    // Blocks as a plain socket would (callers wait first, so this is rare).
    while (begin_ == end_ && !ended_ && !broken_) {
      if (Decrypt()) break;
      if (plain_->WaitReadable(1000) < 0) broken_ = true;
    }
    if (begin_ < end_) {
      std::size_t n = std::min(size, end_ - begin_);
      std::memcpy(data, buffer_.get() + begin_, n);
      begin_ += n;
      return static_cast<long long>(n);
    }
    return broken_ ? -1 : 0;
  }

  // Readable means decrypted bytes, the end, or a failure, never merely raw
  // bytes: a server that stops inside a record must not make Receive block.
  int WaitReadable(int wait_ms) override {
    if (closed_) return -1;
    Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(std::max(wait_ms, 0));
    for (;;) {
      if (begin_ < end_ || ended_ || broken_ || Decrypt()) return 1;
      long long left = MsLeft(deadline);
      if (left <= 0) return 0;
      int ready = plain_->WaitReadable(static_cast<int>(left));
      if (ready < 0) {
        broken_ = true;
        return 1;
      }
      if (ready == 0) return 0;
    }
  }

  long long Available() override {
    if (closed_) return -1;
    return static_cast<long long>(end_ - begin_ + mbedtls_ssl_get_bytes_avail(&ssl_));
  }

  void Close() override {
    if (closed_) return;
    closed_ = true;
    // Tells the server the end was meant; a peer gone already costs nothing.
    if (!ended_ && !broken_) mbedtls_ssl_close_notify(&ssl_);
    plain_->Close();
  }

 private:
  // Decrypts what has arrived into the buffer; true when that gave bytes,
  // the end of the stream or a failure, false when more must arrive first.
  bool Decrypt() {
    int n = mbedtls_ssl_read(&ssl_, buffer_.get(), kRecordBytes);
    if (n > 0) {
      begin_ = 0;
      end_ = static_cast<std::size_t>(n);
      return true;
    }
    if (n == MBEDTLS_ERR_SSL_WANT_READ || n == MBEDTLS_ERR_SSL_WANT_WRITE) return false;
    // HTTP/1.0 ends a body by closing: with or without the TLS close
    // message it is the end; the sizes decide whether the file is whole.
    if (n == 0 || n == MBEDTLS_ERR_SSL_PEER_CLOSE_NOTIFY || n == MBEDTLS_ERR_SSL_CONN_EOF) {
      ended_ = true;
    } else {
      broken_ = true;
    }
    return true;
  }

  std::unique_ptr<runtime::Socket> plain_;
  std::string address_;  // the IPv4 bytes asked for, or empty for a name
  mbedtls_ssl_context ssl_;
  mbedtls_ssl_config config_;
  std::unique_ptr<unsigned char[]> buffer_;
  std::size_t begin_ = 0, end_ = 0;
  bool ended_ = false, broken_ = false, closed_ = false;
};

}  // namespace

std::string Ipv4Bytes(const std::string& host) {
  std::string bytes;
  std::size_t i = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (i >= host.size() || host[i] != '.') return "";
      ++i;
    }
    std::size_t start = i;
    int value = 0;
    while (i < host.size() && host[i] >= '0' && host[i] <= '9' && i - start < 3) value = value * 10 + (host[i++] - '0');
    if (i == start || value > 255) return "";
    bytes += static_cast<char>(value);
  }
  return i == host.size() ? bytes : "";
}

std::unique_ptr<runtime::Socket> StartTls(std::unique_ptr<runtime::Socket> plain, const std::string& host,
                                          int timeout_ms, const std::function<void()>& idle,
                                          std::string* error) {
  if (!plain) return nullptr;
  auto tls = std::make_unique<TlsSocket>(std::move(plain), host);
  std::string problem = tls->Handshake(host, timeout_ms, idle);
  if (problem.empty()) return tls;
  if (error) *error = problem;
  return nullptr;
}

}  // namespace corvane
