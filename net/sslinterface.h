// The TLS library binding: settled once at start-up, released at exit.
#pragma once

namespace brevak {

enum class TSSLLoad { Normal, ForceUnavailable };

// Binds OpenSSL once; returns whether TLS is available. With ForceUnavailable (tests) TLS stays
// unavailable and every HTTPS fetch fails while HTTP fetches work. Later calls change nothing.
bool InitSSLInterface(TSSLLoad how = TSSLLoad::Normal);
bool IsSSLloaded();
void DestroySSLInterface();

}  // namespace brevak
