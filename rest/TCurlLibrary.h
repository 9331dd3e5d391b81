#pragma once

#include <QString>

#include <curl/curl.h>

// libcurl, loaded at run time instead of linked: its TLS, Kerberos and LDAP dependencies then stay
// out of the program's start-up and out of the global symbol scope, and main can load it on a
// background thread while the window is being built. Holds the few entry points the client uses.
class TCurlLibrary final
{
public:
    // Starts loading on a background thread; the first Instance() then waits for it to finish.
    static void LoadInBackground();
    // The library, loaded and globally initialised on first use; check Loaded() before calling in.
    static const TCurlLibrary &Instance();

    bool Loaded() const { return FLoaded; }
    // Why the library could not be loaded.
    const QString &Error() const { return FError; }

    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_easy_reset) easy_reset = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_strerror) easy_strerror = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;

private:
    TCurlLibrary();
    TCurlLibrary(const TCurlLibrary &) = delete;
    TCurlLibrary &operator=(const TCurlLibrary &) = delete;

    bool FLoaded = false;
    QString FError;
};
