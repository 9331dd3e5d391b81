#pragma once

#include <QTemporaryDir>

#include <string>
#include <vector>

// A self-signed certificate and its private key (EC P-256 or RSA 2048, valid for one day from now),
// made for the run and written as PEM files into a temporary folder this object owns and removes.
// A certificate is its own issuer, so a TLS client trusts it by taking CertificateFile() as its CA
// file (libcurl's CAINFO, httplib's set_ca_cert_path, QSslCertificate::fromPath).
class TSelfSignedCertificate final
{
public:
    enum class TKeyKind { Ec, Rsa };

    // The first name is the subject's common name; every name goes into subjectAltName, as an IP
    // entry when it is an address, else as a DNS entry. Throws std::runtime_error when it cannot.
    explicit TSelfSignedCertificate(const std::vector<std::string> &names, TKeyKind kind = TKeyKind::Ec);
    TSelfSignedCertificate(const TSelfSignedCertificate &) = delete;
    TSelfSignedCertificate &operator=(const TSelfSignedCertificate &) = delete;

    // For 127.0.0.1 and localhost: what a loopback server shows.
    static TSelfSignedCertificate Loopback();
    // For a host no test connects to: a trusted certificate whose names do not match the server.
    static TSelfSignedCertificate WrongHost();

    std::string CertificateFile() const;
    std::string KeyFile() const;

private:
    QTemporaryDir FFolder;
};
