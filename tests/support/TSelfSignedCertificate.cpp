#include "tests/support/TSelfSignedCertificate.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <stdexcept>

namespace {

template <typename T, void (*Free)(T *)> struct TOpenSslFree
{
    void operator()(T *object) const { Free(object); }
};
using TKey = std::unique_ptr<EVP_PKEY, TOpenSslFree<EVP_PKEY, EVP_PKEY_free>>;
using TCertificate = std::unique_ptr<X509, TOpenSslFree<X509, X509_free>>;
using TExtension = std::unique_ptr<X509_EXTENSION, TOpenSslFree<X509_EXTENSION, X509_EXTENSION_free>>;
using TOctets = std::unique_ptr<ASN1_OCTET_STRING, TOpenSslFree<ASN1_OCTET_STRING, ASN1_OCTET_STRING_free>>;

// Throws with OpenSSL's own reason when a step failed.
void Check(bool done, const char *step)
{
    if (done)
        return;
    char reason[256] = "no reason given";
    if (const unsigned long error = ERR_get_error())
        ERR_error_string_n(error, reason, sizeof reason);
    throw std::runtime_error(std::string("self-signed certificate: ") + step + ": " + reason);
}

// "IP:a, DNS:b, ...": addresses as IP entries (OpenSSL's own parser tells them apart), names as DNS.
std::string SubjectAltNames(const std::vector<std::string> &names)
{
    std::string entries;
    for (const std::string &name : names) {
        const bool address = TOctets(a2i_IPADDRESS(name.c_str())) != nullptr;
        entries += (entries.empty() ? "" : ", ") + std::string(address ? "IP:" : "DNS:") + name;
    }
    return entries;
}

void AddExtension(X509 *certificate, int nid, const std::string &value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    const TExtension extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
    Check(extension && X509_add_ext(certificate, extension.get(), -1) == 1, "extension");
}

TCertificate MakeCertificate(EVP_PKEY *key, const std::vector<std::string> &names)
{
    TCertificate certificate(X509_new());
    Check(certificate != nullptr, "X509_new");
    X509 *x509 = certificate.get();
    Check(X509_set_version(x509, X509_VERSION_3) == 1, "version");
    Check(ASN1_INTEGER_set(X509_get_serialNumber(x509), static_cast<long>(std::time(nullptr))) == 1, "serial");
    Check(X509_gmtime_adj(X509_getm_notBefore(x509), -60) != nullptr, "notBefore");
    Check(X509_gmtime_adj(X509_getm_notAfter(x509), 24 * 60 * 60) != nullptr, "notAfter");
    X509_NAME *subject = X509_get_subject_name(x509);
    Check(X509_NAME_add_entry_by_txt(
              subject, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char *>(names.front().c_str()), -1, -1, 0)
            == 1,
        "common name");
    Check(X509_set_issuer_name(x509, subject) == 1, "issuer");
    Check(X509_set_pubkey(x509, key) == 1, "public key");
    AddExtension(x509, NID_subject_alt_name, SubjectAltNames(names));
    AddExtension(x509, NID_ext_key_usage, "serverAuth");
    Check(X509_sign(x509, key, EVP_sha256()) > 0, "signature");
    return certificate;
}

// Writes through a FILE* (PEM_write_* want one) and closes it.
template <typename Write> void WritePem(const std::string &path, Write write)
{
    const std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(path.c_str(), "w"), std::fclose);
    Check(file != nullptr, ("cannot write " + path).c_str());
    Check(write(file.get()) == 1, ("PEM " + path).c_str());
}

} // namespace

TSelfSignedCertificate::TSelfSignedCertificate(const std::vector<std::string> &names, TKeyKind kind)
{
    Check(FFolder.isValid() && !names.empty(), "temporary folder or names");
    const TKey key(kind == TKeyKind::Rsa ? EVP_RSA_gen(2048) : EVP_EC_gen("P-256"));
    Check(key != nullptr, "key");
    const TCertificate certificate = MakeCertificate(key.get(), names);
    WritePem(KeyFile(),
        [&](FILE *file) { return PEM_write_PrivateKey(file, key.get(), nullptr, nullptr, 0, nullptr, nullptr); });
    WritePem(CertificateFile(), [&](FILE *file) { return PEM_write_X509(file, certificate.get()); });
}

TSelfSignedCertificate TSelfSignedCertificate::Loopback()
{
    return TSelfSignedCertificate({"127.0.0.1", "localhost"});
}

TSelfSignedCertificate TSelfSignedCertificate::WrongHost()
{
    return TSelfSignedCertificate({"wrong-host.invalid"});
}

std::string TSelfSignedCertificate::CertificateFile() const
{
    return FFolder.filePath(QStringLiteral("certificate.pem")).toStdString();
}

std::string TSelfSignedCertificate::KeyFile() const
{
    return FFolder.filePath(QStringLiteral("key.pem")).toStdString();
}
