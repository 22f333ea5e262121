// Test certificates from OpenSSL's API and the loopback server on POSIX sockets.
#include "tls_fixtures_posix.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace vantor::testing_support {

namespace {

constexpr int kWaitMilliseconds = 10000;
constexpr long kDay = 24 * 3600;

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Certificate = std::unique_ptr<X509, CertificateFree>;

struct Issued {
  Key key;
  Certificate certificate;
};

std::string Pem(X509* certificate, EVP_PKEY* key) {
  BIO* memory = BIO_new(BIO_s_mem());
  if (certificate != nullptr) PEM_write_bio_X509(memory, certificate);
  if (key != nullptr) PEM_write_bio_PrivateKey(memory, key, nullptr, nullptr, 0, nullptr, nullptr);
  char* data = nullptr;
  const long length = BIO_get_mem_data(memory, &data);
  std::string text(data, static_cast<std::size_t>(length));
  BIO_free(memory);
  return text;
}

std::string OpenSslPin(X509* certificate) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  X509_digest(certificate, EVP_sha256(), digest, &length);
  char* hex = OPENSSL_buf2hexstr(digest, length);  // "AB:CD:..."
  std::string text(hex);
  OPENSSL_free(hex);
  return text;
}

void AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

// A certificate for `names` (subjectAltName text); self-signed when no issuer is given.
Issued Issue(const char* commonName, const char* names, const Issued* issuer, long fromSeconds, long toSeconds,
             bool isCa) {
  static long serial = 1;
  Issued made{Key(EVP_EC_gen("P-256")), Certificate(X509_new())};
  X509* certificate = made.certificate.get();
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial++);
  X509_gmtime_adj(X509_getm_notBefore(certificate), fromSeconds);
  X509_gmtime_adj(X509_getm_notAfter(certificate), toSeconds);
  X509_set_pubkey(certificate, made.key.get());
  X509_NAME* subject = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                             0);
  X509* signer = issuer != nullptr ? issuer->certificate.get() : certificate;
  X509_set_issuer_name(certificate, X509_get_subject_name(signer));
  AddExtension(certificate, signer, NID_subject_key_identifier, "hash");
  AddExtension(certificate, signer, NID_authority_key_identifier, "keyid:always");
  if (isCa) {
    AddExtension(certificate, signer, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(certificate, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    AddExtension(certificate, signer, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(certificate, signer, NID_key_usage, "critical,digitalSignature");
    AddExtension(certificate, signer, NID_ext_key_usage, "serverAuth");
    AddExtension(certificate, signer, NID_subject_alt_name, names);
  }
  X509_sign(certificate, issuer != nullptr ? issuer->key.get() : made.key.get(), EVP_sha256());
  return made;
}

TestCertificate Describe(const Issued& issued) {
  return {Pem(issued.certificate.get(), nullptr), Pem(nullptr, issued.key.get()), OpenSslPin(issued.certificate.get())};
}

void SetCork(int socket, bool on) {
  const int value = on ? 1 : 0;
  ::setsockopt(socket, IPPROTO_TCP, TCP_CORK, &value, sizeof value);
}

// A file of the process's that is removed when the process ends.
struct TemporaryFile {
  explicit TemporaryFile(const std::string& name)
      : path(std::filesystem::temp_directory_path() / ("vantor-test-" + std::to_string(::getpid()) + "-" + name)) {}
  ~TemporaryFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  std::string Write(const std::string& text) const {
    std::ofstream(path) << text;
    return path.string();
  }
  std::filesystem::path path;
};

// A TLS server context presenting the certificate.
ServerContext MakeServerContext(const TestCertificate& certificate) {
  ServerContext context(SSL_CTX_new(TLS_server_method()));
  BIO* pem = BIO_new_mem_buf(certificate.certificatePem.data(), static_cast<int>(certificate.certificatePem.size()));
  X509* x509 = PEM_read_bio_X509(pem, nullptr, nullptr, nullptr);
  BIO_free(pem);
  pem = BIO_new_mem_buf(certificate.keyPem.data(), static_cast<int>(certificate.keyPem.size()));
  EVP_PKEY* key = PEM_read_bio_PrivateKey(pem, nullptr, nullptr, nullptr);
  BIO_free(pem);
  SSL_CTX_use_certificate(context.get(), x509);
  SSL_CTX_use_PrivateKey(context.get(), key);
  X509_free(x509);
  EVP_PKEY_free(key);
  return context;
}

}  // namespace

const TestPki& TestPki::Get() {
  static TemporaryFile caFile("ca.pem"), hostFile("host.pem"), hostKeyFile("host.key");
  static const TestPki pki = [] {
    constexpr const char* kLoopback = "DNS:localhost,IP:127.0.0.1,IP:::1";
    const Issued authority = Issue("Vantor test CA", nullptr, nullptr, -kDay, 30 * kDay, true);
    TestPki made;
    made.ca = Describe(authority);
    made.host = Describe(Issue("localhost", kLoopback, &authority, -kDay, 30 * kDay, false));
    made.otherName = Describe(Issue("other.example", "DNS:other.example", &authority, -kDay, 30 * kDay, false));
    made.expired = Describe(Issue("localhost", kLoopback, &authority, -2 * kDay, -kDay, false));
    made.stranger = Describe(Issue("localhost", kLoopback, nullptr, -kDay, 30 * kDay, false));
    made.caFile = caFile.Write(made.ca.certificatePem);
    made.hostFile = hostFile.Write(made.host.certificatePem);
    made.hostKeyFile = hostKeyFile.Write(made.host.keyPem);
    return made;
  }();
  return pki;
}

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

MemoryTls::MemoryTls()
    : context_(MakeServerContext(TestPki::Get().host)),
      server_(SSL_new(context_.get())),
      client_(MakeTlsSession({true, TestPki::Get().host.pin, ""}, "127.0.0.1").session) {
  SSL_set_bio(server_, BIO_new(BIO_s_mem()), BIO_new(BIO_s_mem()));
  SSL_set_accept_state(server_);
}

MemoryTls::~MemoryTls() { SSL_free(server_); }

bool MemoryTls::Handshake() {
  std::string toServer;
  auto step = client_->Handshake({}, toServer);
  for (int round = 0; round < 10 && step == TlsSession::Step::kMore; ++round) {
    ToServer(toServer);
    step = client_->Handshake(AsBytes(FromServer()), toServer);
  }
  ToServer(toServer);  // the client's last flight
  return step == TlsSession::Step::kDone && SSL_is_init_finished(server_);
}

std::string MemoryTls::ServerSends(std::string_view plain, std::size_t piece) {
  for (std::size_t at = 0; at < plain.size(); at += piece) {
    const std::string_view part = plain.substr(at, piece);
    SSL_write(server_, part.data(), static_cast<int>(part.size()));
  }
  return FromServer();
}

std::string MemoryTls::ServerCloses() {
  SSL_shutdown(server_);
  return FromServer();
}

void MemoryTls::ToServer(std::string& bytes) {
  BIO_write(SSL_get_rbio(server_), bytes.data(), static_cast<int>(bytes.size()));
  bytes.clear();
  SSL_do_handshake(server_);
}

std::string MemoryTls::FromServer() {
  std::string bytes;
  char buffer[4096];
  for (int got; (got = BIO_read(SSL_get_wbio(server_), buffer, sizeof buffer)) > 0;)
    bytes.append(buffer, static_cast<std::size_t>(got));
  return bytes;
}

LoopbackServer::LoopbackServer(LoopbackServerOptions options) : options_(std::move(options)), listener_(options_.ipv6) {
  if (options_.certificate != nullptr) context_ = MakeServerContext(*options_.certificate);
  if (context_ && options_.tls12) SSL_CTX_set_max_proto_version(context_.get(), TLS1_2_VERSION);
  if (!listener_.Listening() || ::pipe(stop_) != 0) return;
  thread_ = std::thread(&LoopbackServer::Run, this);
}

LoopbackServer::~LoopbackServer() {
  if (stop_[1] != -1) {
    const char byte = 1;
    const ssize_t written = ::write(stop_[1], &byte, 1);
    static_cast<void>(written);
  }
  if (thread_.joinable()) thread_.join();
  for (const int end : stop_) {
    if (end != -1) ::close(end);
  }
}

std::string LoopbackServer::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

int LoopbackServer::Accepted() const {
  std::lock_guard lock(mutex_);
  return accepted_;
}

bool LoopbackServer::WaitReceived(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return receivedMore_.wait_for(lock, timeout, [&] { return received_.size() >= count; });
}

bool LoopbackServer::WaitFor(int socket, short events) const {
  pollfd entries[2] = {{socket, events, 0}, {stop_[0], POLLIN, 0}};
  return ::poll(entries, 2, kWaitMilliseconds) > 0 && entries[1].revents == 0;
}

void LoopbackServer::Run() {
  // OpenSSL writes to the socket itself: a client gone mid-write must give EPIPE, not end the process.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
  const int listener = static_cast<int>(listener_.Handle());
  for (;;) {
    pollfd entries[2] = {{listener, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (::poll(entries, 2, kWaitMilliseconds) < 0 && errno != EINTR) return;
    if (entries[1].revents != 0) return;
    if ((entries[0].revents & POLLIN) == 0) continue;
    const int accepted = ::accept(listener, nullptr, nullptr);
    if (accepted < 0) continue;
    {
      std::lock_guard lock(mutex_);
      ++accepted_;
    }
    ::fcntl(accepted, F_SETFL, ::fcntl(accepted, F_GETFL, 0) | O_NONBLOCK);
    Serve(accepted);
    ::close(accepted);
  }
}

void LoopbackServer::Serve(int socket) {
  SSL* ssl = nullptr;
  // One step of TLS on the non-blocking socket, waiting as OpenSSL asks; false when it failed.
  auto step = [&](int result) {
    const int error = SSL_get_error(ssl, result);
    if (error == SSL_ERROR_WANT_READ) return WaitFor(socket, POLLIN);
    if (error == SSL_ERROR_WANT_WRITE) return WaitFor(socket, POLLOUT);
    return false;
  };
  auto send = [&](const std::string& bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
      const int count = static_cast<int>(bytes.size() - at);
      const int sent = ssl != nullptr ? SSL_write(ssl, bytes.data() + at, count)
                                      : static_cast<int>(::send(socket, bytes.data() + at, count, MSG_NOSIGNAL));
      if (sent > 0) {
        at += static_cast<std::size_t>(sent);
      } else if (ssl != nullptr ? !step(sent) : (errno != EAGAIN || !WaitFor(socket, POLLOUT))) {
        return false;
      }
    }
    return true;
  };
  if (context_ && options_.mode != ServerMode::kSilent) {
    ssl = SSL_new(context_.get());
    SSL_set_fd(ssl, socket);
    if (options_.tls12 && !options_.greeting.empty()) {
      // The handshake's last flight and the greeting leave as one segment, so that the client reads
      // them together.
      SSL_set_info_callback(ssl, [](const SSL* s, int where, int) {
        if ((where & SSL_CB_ACCEPT_LOOP) != 0 && SSL_get_state(s) == TLS_ST_SR_FINISHED) SetCork(SSL_get_fd(s), true);
      });
    }
    for (int result; (result = SSL_accept(ssl)) != 1;) {
      if (!step(result)) {
        SSL_free(ssl);
        ERR_clear_error();
        return;
      }
    }
  }
  const bool greeted = options_.greeting.empty() || send(options_.greeting);
  SetCork(socket, false);
  if (greeted) {
    char buffer[16384];
    for (;;) {
      const int got = ssl != nullptr ? SSL_read(ssl, buffer, sizeof buffer)
                                     : static_cast<int>(::recv(socket, buffer, sizeof buffer, 0));
      if (got > 0) {
        {
          std::lock_guard lock(mutex_);
          received_.append(buffer, static_cast<std::size_t>(got));
        }
        receivedMore_.notify_all();
        if (options_.mode == ServerMode::kEcho && !send(std::string(buffer, static_cast<std::size_t>(got)))) break;
      } else if (ssl != nullptr ? !step(got) : (got == 0 || errno != EAGAIN || !WaitFor(socket, POLLIN))) {
        break;
      }
    }
  }
  if (ssl != nullptr) SSL_free(ssl);
  ERR_clear_error();
  // A close with unread input would reset the connection, and the client could lose a last alert.
  ::shutdown(socket, SHUT_WR);
  char rest[4096];
  while (WaitFor(socket, POLLIN) && ::recv(socket, rest, sizeof rest, 0) > 0) {
  }
}

}  // namespace vantor::testing_support
