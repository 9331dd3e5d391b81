#pragma once

#include "rest/TCredentials.h"

#include <QtGlobal>

#include <functional>
#include <optional>

// The session's sign-in: the credentials the user gave when the back-end refused a request (kept
// in memory until the program ends, never written or logged), the token of the configuration
// otherwise, and the question asked for new ones. rest/ shows no windows: the program installs
// the question as a prompt at start. The prompt runs on the GUI thread (a worker waits for it)
// and once at a time: requests refused while it is open wait for its outcome and then repeat
// with what it gave, or give up when it was cancelled.
class TSignIn final
{
public:
    TSignIn() = delete;

    // Asks for credentials of the scheme (GUI thread); nullopt: the user cancelled.
    using TPrompt = std::function<std::optional<TCredentials>(TCredentials::TScheme scheme)>;

    // The credentials a request goes out with, and which answer of the prompt gave them (0: none
    // yet, the configuration's token), so a refusal of older ones is told from a refusal of these.
    struct TAttempt
    {
        TCredentials Credentials;
        quint64 Generation = 0;
    };

    // Installs the prompt (at start, before any request); an empty one leaves refusals to the handlers.
    static void SetPrompt(TPrompt prompt);
    static TAttempt Current();
    // After a 401 asking for scheme: what to repeat the refused attempt with, or nullopt to hand
    // the 401 on (no prompt, cancelled, a scheme the program cannot answer, the program quitting).
    static std::optional<TAttempt> AfterRefusal(const TAttempt &refused, TCredentials::TScheme scheme);
    // Drops what the user gave, back to the configuration's token (a new session in tests).
    static void Forget();
};
