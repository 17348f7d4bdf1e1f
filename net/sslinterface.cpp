// Placeholder until the TLS channel lands.
#include "net/sslinterface.h"

namespace brevak {

bool InitSSLInterface(TSSLLoad) { return false; }
bool IsSSLloaded() { return false; }
void DestroySSLInterface() {}

}  // namespace brevak
