#pragma once

#include "server/ResourceDefinition.h"

#include <map>
#include <string>
#include <vector>

// The menu and the resource definitions the server answers, read once at start (normally from the
// files compiled into the program). Read-only afterwards, so threads share it without locks.
class ResourceCatalog final
{
public:
    // menu: the "acesso/menus" array; resourceFiles: the text of each resources/<name>.json.
    ResourceCatalog(const std::string &menuText, const std::vector<std::string> &resourceTexts);
    static ResourceCatalog fromEmbeddedFiles();

    const nlohmann::ordered_json &menu() const { return m_menu; }
    const ResourceDefinition *find(const std::string &name) const;
    // Resource names in menu order; dependencies come before the resources that refer to them.
    const std::vector<std::string> &names() const { return m_order; }

private:
    nlohmann::ordered_json m_menu;
    std::map<std::string, ResourceDefinition> m_resources;
    std::vector<std::string> m_order;
};
