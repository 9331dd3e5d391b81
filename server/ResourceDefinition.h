#pragma once

#include <nlohmann/json.hpp>

#include <string>

// The metadata of one resource, as read from server/resources/<name>.json. The three arrays are
// served as they stand; "consultas" maps a path suffix ("ativas") to fixed member values.
struct ResourceDefinition
{
    std::string name;
    nlohmann::ordered_json campos = nlohmann::ordered_json::array();
    nlohmann::ordered_json pesquisa = nlohmann::ordered_json::array();
    nlohmann::ordered_json filtros = nlohmann::ordered_json::array();
    nlohmann::ordered_json consultas = nlohmann::ordered_json::object();
};
