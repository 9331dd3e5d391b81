#pragma once

#include <QString>

#include <exception>

// The text of the error an action raises, or an empty text when it raises none.
template <typename F>
QString ErrorOf(F &&action)
{
    try {
        action();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}
