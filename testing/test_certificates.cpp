// Test certificates through the openssl command: small EC keys (P-256), so
// making them takes milliseconds, and the subject's name or address in the
// subjectAltName, which is what clients check.
#include "testing/test_certificates.h"

#include <random>
#include <vector>

#include "platform/child_process.h"
#include "platform/environment.h"
#include "platform/text_codec.h"

namespace {

const std::vector<std::string> kNewKey = {"-newkey", "ec", "-pkeyopt",
                                          "ec_paramgen_curve:prime256v1", "-nodes"};

// Runs openssl with arguments in folder; false with its error output.
bool RunOpenssl(const std::vector<std::string>& arguments, const TempFolder& folder,
                std::string* error) {
    std::vector<std::string> command = {"openssl"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcessSetup setup;
    setup.outputPath = folder.PathOf("openssl.out").string();
    setup.errorPath = folder.PathOf("openssl.err").string();
    ChildProcess openssl;
    if (!openssl.Start(command, setup, error)) return false;
    if (openssl.WaitUntilExit() == 0) return true;
    *error = "openssl " + arguments.front() + " failed: " + folder.Read("openssl.err");
    return false;
}

std::vector<std::string> Joined(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

bool IsDottedAddress(const std::string& subject) {
    return !subject.empty() && subject.find_first_not_of("0123456789.") == std::string::npos;
}

std::string SubjectAltName(const std::string& subject) {
    return std::string("subjectAltName=") + (IsDottedAddress(subject) ? "IP:" : "DNS:") + subject;
}

struct Authority {
    TempFolder folder;
    std::filesystem::path certificate = folder.PathOf("ca.pem");
    std::filesystem::path key = folder.PathOf("ca.key");
    bool made = false;
    std::string error;
};

Authority& TheAuthority() {
    static Authority authority;
    return authority;
}

}  // namespace

bool TrustTestAuthority(std::string* error) {
    Authority& authority = TheAuthority();
    if (!authority.made && authority.error.empty()) {
        const std::vector<std::string> arguments = Joined(
            Joined({"req", "-x509"}, kNewKey),
            {"-keyout", authority.key.string(), "-out", authority.certificate.string(), "-days",
             "30", "-subj", "/CN=Skarnel test CA", "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign"});
        authority.made =
            RunOpenssl(arguments, authority.folder, &authority.error) &&
            SetEnvironmentText("SSL_CERT_FILE", FromUtf8(authority.certificate.string()));
    }
    *error = authority.error;
    return authority.made;
}

bool MakeServerCertificate(const TempFolder& folder, const std::string& name,
                           const std::string& subject, CertificateKind kind,
                           ServerCertificate* made, std::string* error) {
    made->certificate = folder.PathOf(name + ".pem");
    made->key = folder.PathOf(name + ".key");
    const std::vector<std::string> output = {"-keyout", made->key.string(), "-subj",
                                             "/CN=" + subject};
    if (kind == CertificateKind::kSelfSigned) {
        return RunOpenssl(Joined(Joined({"req", "-x509"}, kNewKey),
                                 Joined(output, {"-out", made->certificate.string(), "-days", "2",
                                                 "-addext", SubjectAltName(subject)})),
                          folder, error);
    }
    std::string authorityError;
    if (!TrustTestAuthority(&authorityError)) {
        *error = authorityError;
        return false;
    }
    const std::string request = folder.PathOf(name + ".csr").string();
    const std::string extensions =
        folder.Put(name + ".ext", SubjectAltName(subject) + "\nbasicConstraints=CA:FALSE\n")
            .string();
    const Authority& authority = TheAuthority();
    // A negative validity ends the certificate before it begins: expired
    // whatever the clock says.
    return RunOpenssl(Joined(Joined({"req", "-new"}, kNewKey), Joined(output, {"-out", request})),
                      folder, error) &&
           RunOpenssl(
               {"x509", "-req", "-in", request, "-CA", authority.certificate.string(), "-CAkey",
                authority.key.string(), "-set_serial", std::to_string(std::random_device{}()),
                "-days", kind == CertificateKind::kExpired ? "-1" : "2", "-extfile", extensions,
                "-out", made->certificate.string()},
               folder, error);
}
