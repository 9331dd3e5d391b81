#include "server/ServerOptions.h"

#include <cstdlib>
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
        } else if (argument == "--no-seed") {
            options.seed = false;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else {
            throw std::invalid_argument("unknown option: " + argument);
        }
    }
    return options;
}

std::string ServerOptions::usage()
{
    return "usage: quorelapi-server [--port N] [--host ADDRESS] [--db FILE | --db postgresql://... | --memory] [--no-seed]\n"
           "  --port N     port to listen on (default 8080; 0 picks a free one and prints it)\n"
           "  --host A     address to listen on (default 127.0.0.1)\n"
           "  --db FILE    SQLite database (default "
        + defaultDatabase()
        + ")\n"
          "  --db postgresql://USER@HOST:PORT/NAME\n"
          "               store everything in PostgreSQL (any libpq URI; several servers may share it)\n"
          "  --memory     keep the database in memory\n"
          "  --no-seed    leave empty tables empty instead of storing the sample records\n";
}

std::string ServerOptions::defaultDatabase()
{
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    const char *home = std::getenv("HOME");
    std::string base = dataHome && *dataHome ? dataHome : std::string(home && *home ? home : ".") + "/.local/share";
    return base + "/quorelapi/quorelapi.db";
}
