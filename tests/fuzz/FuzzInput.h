#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string_view>

// Splits a fuzz input at its first line feed: the line before it is a path (or another short
// argument), the bytes after it the document. Without a line feed the path is empty.
struct FuzzInput
{
    QString Path;
    std::string_view Document;

    FuzzInput(const uint8_t *data, size_t size)
    {
        const std::string_view all(reinterpret_cast<const char *>(data), size);
        const size_t cut = all.find('\n');
        if (cut == std::string_view::npos) {
            Document = all;
            return;
        }
        Path = QString::fromUtf8(all.data(), qsizetype(cut));
        Document = all.substr(cut + 1);
    }
};
