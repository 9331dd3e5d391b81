#pragma once

#include <string>
#include <vector>

// The command line of quorelapi-server.
struct ServerOptions
{
    std::string host = "127.0.0.1";
    int port = 8080;
    std::string database; // empty: the default file under the user's data folder
    bool memory = false;
    bool seed = true;
    std::string tokenFile;     // --token: the tokens a request must carry one of
    bool insecureOpen = false; // --insecure-open: listen beyond loopback without tokens
    std::string tlsCertificate; // --tls-cert: with tlsKey, serve HTTPS only
    std::string tlsKey; // --tls-key
    bool help = false;

    // Throws std::invalid_argument with a message for the user on a bad command line (--tls-cert
    // and --tls-key come together or not at all).
    static ServerOptions parse(const std::vector<std::string> &arguments);
    static std::string usage();
    // $XDG_DATA_HOME/quorelapi/quorelapi.db, else ~/.local/share/quorelapi/quorelapi.db.
    static std::string defaultDatabase();
    // The tokens of a token file: one a line, blanks around them and empty lines ignored. Throws
    // std::invalid_argument when the file cannot be read or holds none.
    static std::vector<std::string> readTokens(const std::string &file);
    // 127.0.0.0/8, ::1 and localhost.
    static bool isLoopback(const std::string &host);
};
