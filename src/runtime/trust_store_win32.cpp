// The ROOT certificate store of Windows (the roots the system itself trusts),
// each certificate handed out in its DER encoding.
#include <windows.h>
#include <wincrypt.h>

#include "runtime/trust_store.h"

namespace corvane::runtime {

std::vector<std::string> SystemRootCertificates(std::string* source) {
  if (source) *source = "the Windows ROOT certificate store";
  std::vector<std::string> roots;
  HCERTSTORE store = CertOpenSystemStoreA(0, "ROOT");
  if (!store) return roots;
  for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store, nullptr); cert;
       cert = CertEnumCertificatesInStore(store, cert)) {
    if (cert->dwCertEncodingType & X509_ASN_ENCODING)
      roots.emplace_back(reinterpret_cast<const char*>(cert->pbCertEncoded), cert->cbCertEncoded);
  }
  CertCloseStore(store, 0);
  return roots;
}

}  // namespace corvane::runtime
