// The config.ini reader on any file content: values stay within their length bound and the
// port reading falls back to its default instead of failing.
#include "config/TIniFile.h"

#include <QString>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// The input goes into an in-memory file that the reader opens by name, as it opens config.ini.
QString ScratchFile(const uint8_t *data, size_t size)
{
    static const int fd = memfd_create("config.ini", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        std::abort();
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TIniFile ini(ScratchFile(data, size));
    for (const char *key : {"servidor", "porta", "formatador"}) {
        const QString value = ini.ReadString(QStringLiteral("CONFIG"), QString::fromLatin1(key), QStringLiteral("x"));
        if (value.size() > TIniFile::MaxValueLength)
            std::abort();
        if (!ini.ValueExists(QStringLiteral("config"), QString::fromLatin1(key)) && value != QStringLiteral("x"))
            std::abort();
    }
    (void)ini.ReadInteger(QStringLiteral("config"), QStringLiteral("porta"), 8080);
    const QString raw = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (raw.isEmpty() && TIniFile::ParseInteger(raw, 8080) != 8080)
        std::abort();
    return 0;
}
