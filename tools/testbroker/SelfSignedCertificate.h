// A self-signed certificate for 127.0.0.1 and localhost, made with OpenSSL.
#pragma once

#include <string>

namespace qx::testbroker {

// Writes cert.pem and key.pem into the folder (created when missing); false
// with a reason. The certificate is its own authority, so a client trusts it
// by naming cert.pem as its CA file.
bool WriteSelfSignedCertificate(const std::string& folder, std::string& certPath, std::string& keyPath,
                                std::string& error);

}  // namespace qx::testbroker
