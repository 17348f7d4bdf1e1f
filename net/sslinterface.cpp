// The TLS library binding: settled once at start-up, released at exit. OpenSSL 3 is linked; it
// needs no explicit initialisation beyond OPENSSL_init_ssl, nor locking callbacks.
// Tested by tests/net/tls_test.cpp.
#include "net/sslinterface.h"

#include <openssl/ssl.h>

#include <mutex>

#include "net/sslopenssl.h"

namespace brevak {
namespace {

std::mutex gLoadLock;
bool gSettled = false;
bool gLoaded = false;

}  // namespace

bool InitSSLInterface(TSSLLoad how) {
  std::lock_guard<std::mutex> lock(gLoadLock);
  if (!gSettled) {
    gSettled = true;
    gLoaded = how == TSSLLoad::Normal &&
              OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS,
                               nullptr) == 1;
  }
  return gLoaded;
}

bool IsSSLloaded() {
  std::lock_guard<std::mutex> lock(gLoadLock);
  return gLoaded;
}

void DestroySSLInterface() {
  // OpenSSL 3 frees its global state at process exit by itself; only the binding is forgotten,
  // so that no socket created afterwards starts TLS.
  std::lock_guard<std::mutex> lock(gLoadLock);
  gLoaded = false;
}

std::unique_ptr<TCustomSSL> NewSSLPlugin() {
  if (IsSSLloaded()) return std::make_unique<TSSLOpenSSL>();
  return std::make_unique<TSSLNone>();
}

}  // namespace brevak
