#include "rest/TCurlLibrary.h"

#include <QLibrary>

#include <future>

namespace {

// Resolves one entry point into target; false when the library lacks it.
template <typename TFunction>
bool Resolve(QLibrary &library, const char *name, TFunction &target)
{
    target = reinterpret_cast<TFunction>(library.resolve(name));
    return target != nullptr;
}

std::future<void> &BackgroundLoad()
{
    static std::future<void> load;
    return load;
}

} // namespace

TCurlLibrary::TCurlLibrary()
{
    // The library stays loaded for the life of the process: handles may outlive any owner here.
    QLibrary library(QStringLiteral("curl"), 4);
    if (!library.load()) {
        FError = QStringLiteral("Could not load the HTTP library: %1").arg(library.errorString());
        return;
    }
    decltype(&curl_global_init) global_init = nullptr;
    const bool complete = Resolve(library, "curl_global_init", global_init)
        && Resolve(library, "curl_easy_init", easy_init) && Resolve(library, "curl_easy_cleanup", easy_cleanup)
        && Resolve(library, "curl_easy_reset", easy_reset) && Resolve(library, "curl_easy_setopt", easy_setopt)
        && Resolve(library, "curl_easy_perform", easy_perform) && Resolve(library, "curl_easy_getinfo", easy_getinfo)
        && Resolve(library, "curl_easy_strerror", easy_strerror)
        && Resolve(library, "curl_slist_append", slist_append)
        && Resolve(library, "curl_slist_free_all", slist_free_all);
    if (!complete) {
        FError = QStringLiteral("The HTTP library is incomplete: %1").arg(library.errorString());
        return;
    }
    if (global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        FError = QStringLiteral("The HTTP library could not be initialised");
        return;
    }
    FLoaded = true;
}

void TCurlLibrary::LoadInBackground()
{
    std::future<void> &load = BackgroundLoad();
    if (!load.valid())
        load = std::async(std::launch::async, [] { Instance(); });
}

const TCurlLibrary &TCurlLibrary::Instance()
{
    // A function-local static: a second caller waits while the first (or the background load)
    // builds it.
    static const TCurlLibrary library;
    return library;
}
