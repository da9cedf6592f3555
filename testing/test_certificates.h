// Certificates for TLS tests, made at test time with the openssl command: one
// test CA per process, trusted through SSL_CERT_FILE, and server certificates
// it issues (valid or expired) or that sign themselves. The client reads its
// trust store once per process, so every TLS test calls TrustTestAuthority
// before its first connection. Test thread only.
#pragma once

#include <filesystem>
#include <string>

#include "testing/temp_folder.h"

// A server's certificate and key, as PEM files.
struct ServerCertificate {
    std::filesystem::path certificate;
    std::filesystem::path key;
};

enum class CertificateKind {
    kValid,       // issued by the test CA, valid from now for two days
    kExpired,     // issued by the test CA, its validity ended before it began
    kSelfSigned,  // issued by nobody the client trusts
};

// Makes the process's test CA on first use and points SSL_CERT_FILE at it.
// False with the reason when the openssl command failed.
[[nodiscard]] bool TrustTestAuthority(std::string* error);

// A key and a certificate for subject (a dotted IPv4 address or a host name)
// written into folder under name.pem and name.key. False with the reason
// when the openssl command failed.
[[nodiscard]] bool MakeServerCertificate(const TempFolder& folder, const std::string& name,
                                         const std::string& subject, CertificateKind kind,
                                         ServerCertificate* made, std::string* error);
