#include "net/tls_socket.h"

#include <mbedtls/ctr_drbg.h>
#include <mbedtls/entropy.h>
#include <mbedtls/error.h>
#include <mbedtls/net_sockets.h>
#include <mbedtls/platform_util.h>
#include <mbedtls/ssl.h>
#include <mbedtls/ssl_ciphersuites.h>
#include <mbedtls/x509_crt.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "net/gcm_opener.h"
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
// A record's header, and the most a record may carry beyond its payload.
constexpr std::size_t kHeaderBytes = 5;
constexpr std::size_t kRecordOverhead = 2048;
// Encrypted bytes taken from the socket at once: several records per
// system call.
constexpr std::size_t kRawBytes = 4 * (kHeaderBytes + kRecordBytes + kRecordOverhead);
// An AES-GCM record: the explicit part of the nonce before the ciphertext,
// the tag after it; the fixed part of the nonce comes from the key block.
constexpr std::size_t kExplicitNonceBytes = 8;
constexpr std::size_t kTagBytes = 16;
constexpr std::size_t kFixedNonceBytes = 4;

enum RecordType : unsigned char { kAlert = 21, kHandshake = 22, kApplicationData = 23 };

bool own_records_enabled = true;

// One random generator for every connection, seeded once from the system's
// entropy.  Handshakes run on helper threads, and mbedTLS is not always
// built with its own locking (the Windows build is not): LockedRandom
// serialises its use.
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

int LockedRandom(void* generator, unsigned char* out, std::size_t size) {
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  return mbedtls_ctr_drbg_random(generator, out, size);
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
    mbedtls_platform_zeroize(&opener_, sizeof opener_);
    mbedtls_platform_zeroize(server_key_, sizeof server_key_);
    mbedtls_platform_zeroize(server_nonce_, sizeof server_nonce_);
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
    mbedtls_ssl_conf_rng(&config_, &LockedRandom, random);
    mbedtls_ssl_conf_verify(&config_, &CheckAddress, &address_);
    mbedtls_ssl_conf_export_keys_cb(&config_, &KeepServerKey, this);
    if (mbedtls_ssl_setup(&ssl_, &config_) != 0) return HandshakeProblem(host, MBEDTLS_ERR_SSL_ALLOC_FAILED);
    // A name is sent as SNI and checked by mbedTLS; an address is checked
    // by CheckAddress (SNI carries no addresses).
    if (address_.empty() && mbedtls_ssl_set_hostname(&ssl_, host.c_str()) != 0)
      return HandshakeProblem(host, MBEDTLS_ERR_SSL_BAD_INPUT_DATA);
    mbedtls_ssl_set_bio(&ssl_, plain_.get(), &SendPlain, &ReceivePlain, nullptr);

    // The key exchange and the certificate checks take tens of milliseconds
    // of processor time in single calls: they run on a helper thread while
    // this one keeps the window alive.  The helper keeps the time-out itself
    // and is always waited for, as it works on this object.
    const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    std::function<std::string()> exchange = [this, &host, deadline] { return Exchange(host, deadline); };
    std::string problem;
    if (runtime::CallWithDeadline<std::string>(exchange, [](std::string&) {}, Steady::time_point::max(), idle,
                                               kSliceMs, &problem) == runtime::CallOutcome::kNoThread)
      problem = Exchange(host, deadline);
    if (problem.empty()) TakeOverRecords();
    return problem;
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
  // The handshake's messages until it is done, failed or out of time.
  std::string Exchange(const std::string& host, Steady::time_point deadline) {
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
    }
  }

  // mbedTLS hands over the key block of the connection: for an AES-GCM
  // suite (no MAC keys, a 4-byte fixed nonce) the server's write key and
  // nonce are kept for reading its records.
  static int KeepServerKey(void* context, const unsigned char*, const unsigned char* block, std::size_t mac_bytes,
                           std::size_t key_bytes, std::size_t nonce_bytes) {
    auto* self = static_cast<TlsSocket*>(context);
    self->server_key_bytes_ = 0;
    if (mac_bytes != 0 || nonce_bytes != kFixedNonceBytes || (key_bytes != 16 && key_bytes != 32)) return 0;
    // client key, server key, client nonce, server nonce
    std::memcpy(self->server_key_, block + key_bytes, key_bytes);
    std::memcpy(self->server_nonce_, block + 2 * key_bytes + nonce_bytes, nonce_bytes);
    self->server_key_bytes_ = key_bytes;
    return 0;
  }

  // After the handshake of a TLS 1.2 AES-GCM suite, the server's records
  // are read and decrypted here (GcmOpener) instead of in mbedTLS, which
  // keeps writing.  Nothing changes for any other suite, on a processor
  // without the instructions, or when mbedTLS holds unread bytes.
  void TakeOverRecords() {
    if (!own_records_enabled || server_key_bytes_ == 0 || !GcmOpener::Supported()) return;
    const mbedtls_ssl_ciphersuite_t* suite = mbedtls_ssl_ciphersuite_from_id(
        mbedtls_ssl_get_ciphersuite_id(mbedtls_ssl_get_ciphersuite(&ssl_)));
    if (!suite || (suite->cipher != MBEDTLS_CIPHER_AES_128_GCM && suite->cipher != MBEDTLS_CIPHER_AES_256_GCM))
      return;
    if (ssl_.major_ver != MBEDTLS_SSL_MAJOR_VERSION_3 || ssl_.minor_ver != MBEDTLS_SSL_MINOR_VERSION_3) return;
    if (mbedtls_ssl_check_pending(&ssl_) != 0 || mbedtls_ssl_get_bytes_avail(&ssl_) != 0) return;
    if (server_key_bytes_ != (suite->cipher == MBEDTLS_CIPHER_AES_128_GCM ? 16u : 32u)) return;
    const bool keyed = opener_.SetKey(server_key_, server_key_bytes_);
    mbedtls_platform_zeroize(server_key_, sizeof server_key_);  // the opener has what it needs
    if (!keyed) return;
    // The number of the server's next record, as mbedTLS counted them.
    sequence_ = 0;
    for (int i = 0; i < 8; ++i) sequence_ = sequence_ << 8 | ssl_.in_ctr[i];
    raw_.reset(new unsigned char[kRawBytes]);
    own_records_ = true;
  }

  // The next whole record in raw_, or false while it has not all arrived.
  bool RecordBuffered() const {
    if (raw_end_ - raw_begin_ < kHeaderBytes) return false;
    const unsigned char* h = raw_.get() + raw_begin_;
    const std::size_t length = static_cast<std::size_t>(h[3]) << 8 | h[4];
    return raw_end_ - raw_begin_ >= kHeaderBytes + length || length > kRecordBytes + kRecordOverhead;
  }

  // Takes what the socket holds without waiting; false when nothing came.
  bool ReceiveRaw() {
    if (raw_begin_ > 0) {
      std::memmove(raw_.get(), raw_.get() + raw_begin_, raw_end_ - raw_begin_);
      raw_end_ -= raw_begin_;
      raw_begin_ = 0;
    }
    int ready = plain_->WaitReadable(0);
    if (ready == 0) return false;
    long long n = ready < 0 ? -1 : plain_->Receive(raw_.get() + raw_end_, kRawBytes - raw_end_);
    // A close without the TLS close message ends the body as in mbedTLS's
    // reading; the sizes decide whether the file is whole.
    if (n == 0) ended_ = true;
    if (n < 0) broken_ = true;
    if (n <= 0) return true;
    raw_end_ += static_cast<std::size_t>(n);
    return true;
  }

  // One record out of raw_: application data into the buffer, an alert or
  // a renegotiation request acted on.  Anything malformed, out of place or
  // failing its authentication breaks the connection.
  void OpenRecord() {
    const unsigned char* record = raw_.get() + raw_begin_;
    const unsigned char type = record[0];
    const std::size_t length = static_cast<std::size_t>(record[3]) << 8 | record[4];
    if (record[1] != MBEDTLS_SSL_MAJOR_VERSION_3 || record[2] != MBEDTLS_SSL_MINOR_VERSION_3 ||
        length < kExplicitNonceBytes + kTagBytes || length > kRecordBytes + kRecordOverhead) {
      broken_ = true;
      return;
    }
    const std::size_t plain_length = length - kExplicitNonceBytes - kTagBytes;
    if (plain_length > kRecordBytes) {
      broken_ = true;
      return;
    }
    const unsigned char* body = record + kHeaderBytes;
    unsigned char nonce[kFixedNonceBytes + kExplicitNonceBytes];
    std::memcpy(nonce, server_nonce_, kFixedNonceBytes);
    std::memcpy(nonce + kFixedNonceBytes, body, kExplicitNonceBytes);
    // Authenticated with the record: its number, type, version and length.
    unsigned char aad[13];
    for (int i = 0; i < 8; ++i) aad[i] = static_cast<unsigned char>(sequence_ >> (56 - 8 * i));
    aad[8] = type;
    aad[9] = MBEDTLS_SSL_MAJOR_VERSION_3;
    aad[10] = MBEDTLS_SSL_MINOR_VERSION_3;
    aad[11] = static_cast<unsigned char>(plain_length >> 8);
    aad[12] = static_cast<unsigned char>(plain_length);
    unsigned char* plain = buffer_.get();
    if (!opener_.Open(nonce, aad, sizeof aad, body + kExplicitNonceBytes, plain_length,
                      body + kExplicitNonceBytes + plain_length, plain)) {
      broken_ = true;
      return;
    }
    raw_begin_ += kHeaderBytes + length;
    ++sequence_;
    if (type == kApplicationData) {
      begin_ = 0;
      end_ = plain_length;  // may be empty
    } else if (type == kAlert && plain_length == 2) {
      // close_notify ends the stream; a fatal alert breaks it; other
      // warnings are passed over, as mbedTLS does.
      if (plain[1] == MBEDTLS_SSL_ALERT_MSG_CLOSE_NOTIFY)
        ended_ = true;
      else if (plain[0] == MBEDTLS_SSL_ALERT_LEVEL_FATAL)
        broken_ = true;
    } else if (type == kHandshake && plain_length == 4 && plain[0] == MBEDTLS_SSL_HS_HELLO_REQUEST && plain[1] == 0 &&
               plain[2] == 0 && plain[3] == 0) {
      // A request to renegotiate, which a client may ignore (we never do it).
    } else {
      broken_ = true;
    }
  }

  bool DecryptOwn() {
    for (;;) {
      if (RecordBuffered()) {
        OpenRecord();
        if (begin_ < end_ || ended_ || broken_) return true;
        continue;  // an empty record, an ignored alert or request
      }
      if (ended_ || broken_) return true;
      if (!ReceiveRaw()) return false;
      if ((ended_ || broken_) && !RecordBuffered()) return true;
    }
  }

  // Decrypts what has arrived into the buffer; true when that gave bytes,
  // the end of the stream or a failure, false when more must arrive first.
  bool Decrypt() {
    if (own_records_) return DecryptOwn();
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
  // Reading the server's records ourselves (TakeOverRecords).
  unsigned char server_key_[32] = {};
  std::size_t server_key_bytes_ = 0;
  unsigned char server_nonce_[kFixedNonceBytes] = {};
  GcmOpener opener_;
  bool own_records_ = false;
  std::uint64_t sequence_ = 0;
  std::unique_ptr<unsigned char[]> raw_;  // encrypted bytes received, not yet opened
  std::size_t raw_begin_ = 0, raw_end_ = 0;
};

}  // namespace

void ReadRecordsWithGcmOpener(bool enabled) { own_records_enabled = enabled; }

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
