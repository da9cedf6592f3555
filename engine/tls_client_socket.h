// The client socket of an https exchange: a TCP connection with a TLS
// session over it. A handshake that fails becomes the row's state, with the
// library's reason: "Certificate error: ..." when the certificate does not
// verify, "TLS error: ..." for every other failure.
#pragma once

#include <memory>
#include <string>

#include "engine/http_client.h"

struct TlsHandshakeResult;

// The state of a row whose handshake did not establish a session.
[[nodiscard]] std::string HandshakeFailureState(const TlsHandshakeResult& result);

// A client socket whose requests and responses go through TLS.
[[nodiscard]] std::unique_ptr<CClientSocket> MakeTlsClientSocket();
