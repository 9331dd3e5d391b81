#include "server/ServerOptions.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

ServerOptions ServerOptions::parse(const std::vector<std::string> &arguments)
{
    ServerOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        const auto value = [&]() -> const std::string & {
            if (i + 1 >= arguments.size())
                throw std::invalid_argument(argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "--port") {
            const std::string &text = value();
            size_t used = 0;
            int port = -1;
            try {
                port = std::stoi(text, &used);
            } catch (const std::exception &) { }
            if (used != text.size() || port < 0 || port > 65535)
                throw std::invalid_argument("--port: not a port number: " + text);
            options.port = port;
        } else if (argument == "--host") {
            options.host = value();
        } else if (argument == "--db") {
            options.database = value();
        } else if (argument == "--memory") {
            options.memory = true;
        } else if (argument == "--token") {
            options.tokenFile = value();
        } else if (argument == "--tls-cert") {
            options.tlsCertificate = value();
        } else if (argument == "--tls-key") {
            options.tlsKey = value();
        } else if (argument == "--insecure-open") {
            options.insecureOpen = true;
        } else if (argument == "--no-seed") {
            options.seed = false;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else {
            throw std::invalid_argument("unknown option: " + argument);
        }
    }
    if (options.tlsCertificate.empty() != options.tlsKey.empty())
        throw std::invalid_argument(
            "--tls-cert and --tls-key go together: HTTPS needs both the certificate and its key");
    return options;
}

std::string ServerOptions::usage()
{
    return "usage: quorelapi-server [--port N] [--host ADDRESS] [--db FILE | --db postgresql://... | --memory] "
           "[--no-seed] [--token FILE] [--insecure-open]\n"
           "                       [--tls-cert FILE --tls-key FILE]\n"
           "  --port N     port to listen on (default 8080; 0 picks a free one and prints it)\n"
           "  --host A     address to listen on (default 127.0.0.1)\n"
           "  --db FILE    SQLite database (default "
        + defaultDatabase()
        + ")\n"
          "  --db postgresql://USER@HOST:PORT/NAME\n"
          "               store everything in PostgreSQL (any libpq URI; several servers may share it)\n"
          "  --memory     keep the database in memory\n"
          "  --no-seed    leave empty tables empty instead of storing the sample records\n"
          "  --token FILE every request must carry \"Authorization: Bearer T\" with a token T of FILE\n"
          "               (one a line); without it only loopback addresses may be listened on\n"
          "  --insecure-open  listen on another address without --token\n"
          "  --tls-cert FILE  serve HTTPS only, showing this PEM certificate (with its chain, if any)\n"
          "  --tls-key FILE   the PEM private key of --tls-cert; both or neither. TLS does not sign\n"
          "                   anyone in: beyond loopback --token is still needed\n";
}

std::string ServerOptions::defaultDatabase()
{
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    const char *home = std::getenv("HOME");
    std::string base = dataHome && *dataHome ? dataHome : std::string(home && *home ? home : ".") + "/.local/share";
    return base + "/quorelapi/quorelapi.db";
}

std::vector<std::string> ServerOptions::readTokens(const std::string &file)
{
    std::ifstream in(file);
    if (!in)
        throw std::invalid_argument("--token: cannot read " + file);
    std::vector<std::string> tokens;
    for (std::string line; std::getline(in, line);) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            continue;
        tokens.push_back(line.substr(first, line.find_last_not_of(" \t\r") - first + 1));
    }
    if (tokens.empty())
        throw std::invalid_argument("--token: no token in " + file);
    return tokens;
}

bool ServerOptions::isLoopback(const std::string &host)
{
    return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}
