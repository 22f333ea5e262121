// The TLS engine of the Win32 terminal: SChannel on memory buffers. The program checks the host's
// certificate itself (manual validation), so that a refusal can say why.
#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS  // the newer credentials (SCH_CREDENTIALS)
#include <winsock2.h>
#include <windows.h>
#include <subauth.h>
#include <wincrypt.h>
#include <security.h>
#include <schannel.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/net.h"
#include "platform/tls_session.h"

namespace vantor {

namespace {

// The policy's exceptions, as WinINet names them (SECURITY_FLAG_IGNORE_UNKNOWN_CA, ..._CERT_CN_INVALID).
constexpr DWORD kIgnoreUnknownCa = 0x00000100;
constexpr DWORD kIgnoreNameMismatch = 0x00001000;
constexpr DWORD kCredentialFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
constexpr ULONG kRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                           ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                           ISC_REQ_MANUAL_CRED_VALIDATION | ISC_REQ_USE_SUPPLIED_CREDS;

struct StoreClose {
  void operator()(void* store) const { CertCloseStore(store, 0); }
};
using CertificateStore = std::unique_ptr<void, StoreClose>;

// The trusted CA certificates of a PEM file in a store of their own; none when the file holds none.
CertificateStore ReadCaFile(const std::string& path) {
  constexpr std::size_t kLargestCaFile = 1 << 20;
  std::string text;
  if (!files::ReadWhole(DecodeText(path, CodePage::Ansi), kLargestCaFile, &text)) return nullptr;
  CertificateStore store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr));
  if (!store) return nullptr;
  constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
  constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
  int added = 0;
  for (std::size_t at = text.find(kBegin); at != std::string::npos; at = text.find(kBegin, at + 1)) {
    const std::size_t end = text.find(kEnd, at);
    if (end == std::string::npos) break;
    const std::string block = text.substr(at, end + kEnd.size() - at);
    DWORD size = 0;
    if (!CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                              &size, nullptr, nullptr))
      continue;
    std::vector<BYTE> der(size);
    if (CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                             &size, nullptr, nullptr) &&
        CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, der.data(), size, CERT_STORE_ADD_ALWAYS,
                                         nullptr))
      ++added;
  }
  return added > 0 ? std::move(store) : nullptr;
}

// True when the certificate's subject alternative names hold the address.
bool NamesAddress(PCCERT_CONTEXT certificate, const std::vector<std::uint8_t>& address) {
  const CERT_INFO* info = certificate->pCertInfo;
  const CERT_EXTENSION* extension = CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension);
  if (extension == nullptr) return false;
  CERT_ALT_NAME_INFO* names = nullptr;
  DWORD size = 0;
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData, extension->Value.cbData,
                           CRYPT_DECODE_ALLOC_FLAG, nullptr, &names, &size))
    return false;
  bool found = false;
  for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
    const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
    found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS && entry.IPAddress.cbData == address.size() &&
            std::memcmp(entry.IPAddress.pbData, address.data(), address.size()) == 0;
  }
  LocalFree(names);
  return found;
}

LinkFailure HandshakeFailure(SECURITY_STATUS status) {
  switch (status) {
    case SEC_E_UNTRUSTED_ROOT: return LinkFailure::kCertificateNotTrusted;
    case SEC_E_CERT_EXPIRED: return LinkFailure::kCertificateExpired;
    case SEC_E_WRONG_PRINCIPAL: return LinkFailure::kCertificateNameMismatch;
    default: return LinkFailure::kHandshakeFailed;
  }
}

class SchannelSession final : public TlsSession {
 public:
  SchannelSession(const TlsOptions& options, const std::string& host)
      : ipLiteral_(net::IpLiteral(host)), options_(options) {
    const std::u16string wide = DecodeText(host, CodePage::Ansi);
    host_.assign(wide.begin(), wide.end());
  }

  ~SchannelSession() override {
    if (haveContext_) DeleteSecurityContext(&context_);
    if (haveCredentials_) FreeCredentialsHandle(&credentials_);
  }

  // kNone when the session is ready to start.
  LinkFailure Start() {
    if (!options_.pin.empty()) {
      pin_ = ParsePin(options_.pin);
      if (!pin_) return LinkFailure::kPinInvalid;
    } else if (!options_.caFile.empty()) {
      trusted_ = ReadCaFile(options_.caFile);
      if (!trusted_) return LinkFailure::kCaFileUnreadable;
    }
    // TLS 1.3 where the system offers it (the newer credentials), else TLS 1.2 alone.
    TLS_PARAMETERS parameters{};
    parameters.grbitDisabledProtocols =
        SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT | SP_PROT_TLS1_1_CLIENT;
    SCH_CREDENTIALS modern{};
    modern.dwVersion = SCH_CREDENTIALS_VERSION;
    modern.dwFlags = kCredentialFlags;
    modern.cTlsParameters = 1;
    modern.pTlsParameters = &parameters;
    SECURITY_STATUS status = Acquire(&modern);
    if (status != SEC_E_OK) {
      SCHANNEL_CRED legacy{};
      legacy.dwVersion = SCHANNEL_CRED_VERSION;
      legacy.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
      legacy.dwFlags = kCredentialFlags;
      status = Acquire(&legacy);
    }
    haveCredentials_ = status == SEC_E_OK;
    return haveCredentials_ ? LinkFailure::kNone : LinkFailure::kHandshakeFailed;
  }

  Step Handshake(std::span<const std::uint8_t> received, std::string& out) override {
    incoming_.insert(incoming_.end(), received.begin(), received.end());
    const Step step = Negotiate(out);
    return step == Step::kDone ? Finish() : step;
  }

  Step Decrypt(std::span<const std::uint8_t> received, std::string& plain, std::string& out) override {
    incoming_.insert(incoming_.end(), received.begin(), received.end());
    for (;;) {
      if (renegotiating_) {
        const Step step = Negotiate(out);
        if (step != Step::kDone) return step;
        renegotiating_ = false;
        // A new handshake may bring another certificate: it must pass as the first did.
        if (Finish() != Step::kDone) return Step::kFailed;
      }
      if (incoming_.empty()) return Step::kMore;
      SecBuffer buffers[4] = {{static_cast<ULONG>(incoming_.size()), SECBUFFER_DATA, incoming_.data()},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
      const SECURITY_STATUS status = DecryptMessage(&context_, &description, 0, nullptr);
      if (status == SEC_E_INCOMPLETE_MESSAGE) return Step::kMore;
      if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED) return Step::kFailed;
      std::vector<char> rest;
      for (const SecBuffer& buffer : buffers) {
        const char* data = static_cast<const char*>(buffer.pvBuffer);
        if (buffer.BufferType == SECBUFFER_DATA && data != nullptr) plain.append(data, buffer.cbBuffer);
        if (buffer.BufferType == SECBUFFER_EXTRA && data != nullptr) rest.assign(data, data + buffer.cbBuffer);
      }
      incoming_.swap(rest);
      if (status == SEC_I_CONTEXT_EXPIRED) return Step::kClosed;
      // TLS 1.3 messages after the handshake (tickets, key updates) come this way too.
      if (status == SEC_I_RENEGOTIATE) renegotiating_ = true;
    }
  }

  bool Encrypt(std::string_view plain, std::string& out) override {
    SecPkgContext_StreamSizes sizes{};
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes) != SEC_E_OK) return false;
    std::vector<char> message;
    while (!plain.empty()) {
      const std::size_t piece = std::min<std::size_t>(plain.size(), sizes.cbMaximumMessage);
      message.assign(sizes.cbHeader + piece + sizes.cbTrailer, 0);
      std::memcpy(message.data() + sizes.cbHeader, plain.data(), piece);
      SecBuffer buffers[4] = {{sizes.cbHeader, SECBUFFER_STREAM_HEADER, message.data()},
                              {static_cast<ULONG>(piece), SECBUFFER_DATA, message.data() + sizes.cbHeader},
                              {sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, message.data() + sizes.cbHeader + piece},
                              {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
      if (EncryptMessage(&context_, 0, &description, 0) != SEC_E_OK) return false;
      out.append(message.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
      plain.remove_prefix(piece);
    }
    return true;
  }

  LinkFailure Failure() const override { return failure_; }
  std::string Protocol() const override { return protocol_; }

 private:
  SECURITY_STATUS Acquire(void* credentials) {
    return AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr,
                                     credentials, nullptr, nullptr, &credentials_, nullptr);
  }

  // Steps of InitializeSecurityContext over what has come in so far; what it leaves over stays in
  // incoming_ (records after the handshake included). kMore, kDone or kFailed.
  Step Negotiate(std::string& out) {
    for (;;) {
      if (haveContext_ && incoming_.empty()) return Step::kMore;
      SecBuffer input[2] = {{static_cast<ULONG>(incoming_.size()), SECBUFFER_TOKEN, incoming_.data()},
                            {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc inputDescription{SECBUFFER_VERSION, 2, input};
      SecBuffer output[1] = {{0, SECBUFFER_TOKEN, nullptr}};
      SecBufferDesc outputDescription{SECBUFFER_VERSION, 1, output};
      ULONG granted = 0;
      // SNI names DNS hosts only; the certificate is checked by the program, not through this name.
      wchar_t* target = ipLiteral_ ? nullptr : host_.data();
      const SECURITY_STATUS status =
          InitializeSecurityContextW(&credentials_, haveContext_ ? &context_ : nullptr, target, kRequest, 0, 0,
                                     haveContext_ ? &inputDescription : nullptr, 0, haveContext_ ? nullptr : &context_,
                                     &outputDescription, &granted, nullptr);
      if (output[0].pvBuffer != nullptr) {
        out.append(static_cast<const char*>(output[0].pvBuffer), output[0].cbBuffer);
        FreeContextBuffer(output[0].pvBuffer);
      }
      if (status == SEC_E_INCOMPLETE_MESSAGE) return Step::kMore;
      const bool first = !haveContext_;
      if (first && (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_OK)) haveContext_ = true;
      if (!first) {
        // What the call did not take is left at the end of the input.
        if (input[1].BufferType == SECBUFFER_EXTRA && input[1].cbBuffer <= incoming_.size()) {
          incoming_.erase(incoming_.begin(), incoming_.end() - static_cast<std::ptrdiff_t>(input[1].cbBuffer));
        } else {
          incoming_.clear();
        }
      }
      switch (status) {
        case SEC_E_OK: return Step::kDone;
        case SEC_I_CONTINUE_NEEDED:
        case SEC_I_INCOMPLETE_CREDENTIALS:  // asked for a client certificate: go on without one
          if (incoming_.empty()) return Step::kMore;
          continue;
        default: failure_ = HandshakeFailure(status); return Step::kFailed;
      }
    }
  }

  // The handshake is over: the protocol must be TLS 1.2 or later and the host's certificate must pass.
  Step Finish() {
    SecPkgContext_ConnectionInfo connection{};
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_CONNECTION_INFO, &connection) != SEC_E_OK) {
      return Fail(LinkFailure::kHandshakeFailed);
    }
    if (connection.dwProtocol & SP_PROT_TLS1_3_CLIENT) {
      protocol_ = "TLSv1.3";
    } else if (connection.dwProtocol & SP_PROT_TLS1_2_CLIENT) {
      protocol_ = "TLSv1.2";
    } else {
      return Fail(LinkFailure::kHandshakeFailed);
    }
    PCCERT_CONTEXT certificate = nullptr;
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
        certificate == nullptr) {
      return Fail(LinkFailure::kCertificateNotTrusted);
    }
    const LinkFailure checked = Check(certificate);
    CertFreeCertificateContext(certificate);
    return checked == LinkFailure::kNone ? Step::kDone : Fail(checked);
  }

  LinkFailure Check(PCCERT_CONTEXT certificate) const {
    if (pin_) {
      const Fingerprint seen =
          CertificateFingerprint(std::span(certificate->pbCertEncoded, certificate->cbCertEncoded));
      return seen == *pin_ ? LinkFailure::kNone : LinkFailure::kPinMismatch;
    }
    // The host's own intermediate certificates, and the trusted CA file's certificates, as candidates.
    CertificateStore candidates(CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr));
    if (!candidates) return LinkFailure::kCertificateNotTrusted;
    CertAddStoreToCollection(candidates.get(), certificate->hCertStore, 0, 0);
    if (trusted_) CertAddStoreToCollection(candidates.get(), trusted_.get(), 0, 0);
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA chainParameters{};
    chainParameters.cbSize = sizeof chainParameters;
    chainParameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainParameters.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainParameters.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, candidates.get(), &chainParameters, 0, nullptr, &chain))
      return LinkFailure::kCertificateNotTrusted;
    DWORD ignore = 0;
    // An IP address is matched below against the certificate's addresses; the policy matches names.
    if (ipLiteral_) ignore |= kIgnoreNameMismatch;
    // The chain's own verdict first: not every SSL policy refuses a chain that ends short of a root.
    DWORD problems =
        chain->TrustStatus.dwErrorStatus & ~(CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION);
    if (trusted_ && ChainEndsIn(chain, trusted_.get())) {
      problems &= ~CERT_TRUST_IS_UNTRUSTED_ROOT;
      ignore |= kIgnoreUnknownCa;
    }
    if (problems != 0) {
      CertFreeCertificateChain(chain);
      constexpr DWORD kTime = CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_NOT_TIME_NESTED;
      return (problems & ~kTime) == 0 ? LinkFailure::kCertificateExpired : LinkFailure::kCertificateNotTrusted;
    }
    std::wstring serverName = host_;
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA https{};
    https.cbSize = sizeof https;
    https.dwAuthType = AUTHTYPE_SERVER;
    https.fdwChecks = ignore;
    https.pwszServerName = serverName.data();
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &https;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    const BOOL verified = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status);
    CertFreeCertificateChain(chain);
    if (!verified) return LinkFailure::kCertificateNotTrusted;
    switch (static_cast<HRESULT>(status.dwError)) {
      case 0: break;
      case CERT_E_EXPIRED: return LinkFailure::kCertificateExpired;
      case CERT_E_CN_NO_MATCH: return LinkFailure::kCertificateNameMismatch;
      default: return LinkFailure::kCertificateNotTrusted;
    }
    if (ipLiteral_ && !NamesAddress(certificate, *ipLiteral_)) return LinkFailure::kCertificateNameMismatch;
    return LinkFailure::kNone;
  }

  // True when the chain's root is one of the store's certificates.
  static bool ChainEndsIn(PCCERT_CHAIN_CONTEXT chain, HCERTSTORE store) {
    if (chain->cChain == 0 || chain->rgpChain[0]->cElement == 0) return false;
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    PCCERT_CONTEXT root = simple->rgpElement[simple->cElement - 1]->pCertContext;
    PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, root, nullptr);
    if (found == nullptr) return false;
    CertFreeCertificateContext(found);
    return true;
  }

  Step Fail(LinkFailure failure) {
    failure_ = failure;
    return Step::kFailed;
  }

  const std::optional<std::vector<std::uint8_t>> ipLiteral_;
  const TlsOptions options_;
  std::wstring host_;
  std::optional<Fingerprint> pin_;
  CertificateStore trusted_;
  CredHandle credentials_{};
  CtxtHandle context_{};
  bool haveCredentials_ = false;
  bool haveContext_ = false;
  bool renegotiating_ = false;
  std::vector<char> incoming_;  // from the host, not yet taken by SChannel
  std::string protocol_;
  LinkFailure failure_ = LinkFailure::kNone;
};

}  // namespace

NewTlsSession MakeTlsSession(const TlsOptions& options, const std::string& host) {
  auto session = std::make_unique<SchannelSession>(options, host);
  const LinkFailure failure = session->Start();
  if (failure != LinkFailure::kNone) return {nullptr, failure};
  return {std::move(session), LinkFailure::kNone};
}

}  // namespace vantor
