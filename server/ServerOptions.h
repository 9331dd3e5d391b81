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
    bool help = false;

    // Throws std::invalid_argument with a message for the user on a bad command line.
    static ServerOptions parse(const std::vector<std::string> &arguments);
    static std::string usage();
    // $XDG_DATA_HOME/quorelapi/quorelapi.db, else ~/.local/share/quorelapi/quorelapi.db.
    static std::string defaultDatabase();
};
