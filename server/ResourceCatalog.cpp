#include "server/ResourceCatalog.h"

#include "server/EmbeddedFiles.h"

#include <algorithm>
#include <regex>
#include <stdexcept>

namespace {

// Resource names become SQLite table names and path segments: keep them to plain identifiers.
bool isPlainName(const std::string &name)
{
    static const std::regex plain("[A-Za-z][A-Za-z0-9_]*");
    return std::regex_match(name, plain);
}

} // namespace

ResourceCatalog::ResourceCatalog(const std::string &menuText, const std::vector<std::string> &resourceTexts)
    : m_menu(nlohmann::ordered_json::parse(menuText))
{
    if (!m_menu.is_array())
        throw std::invalid_argument("menu: not a JSON array");
    for (const std::string &text : resourceTexts) {
        const auto doc = nlohmann::ordered_json::parse(text);
        ResourceDefinition def;
        def.name = doc.at("resource").get<std::string>();
        if (!isPlainName(def.name))
            throw std::invalid_argument("resource name not allowed: " + def.name);
        def.campos = doc.at("campos");
        def.pesquisa = doc.at("pesquisa");
        def.filtros = doc.at("filtros");
        def.consultas = doc.value("consultas", nlohmann::ordered_json::object());
        m_resources.emplace(def.name, std::move(def));
    }
    for (const auto &entry : m_menu) {
        const std::string name = entry.at("resource").get<std::string>();
        if (!m_resources.count(name))
            throw std::invalid_argument("menu entry without definition: " + name);
        m_order.push_back(name);
    }
    for (const auto &[name, def] : m_resources)
        if (std::find(m_order.begin(), m_order.end(), name) == m_order.end())
            m_order.push_back(name);
}

ResourceCatalog ResourceCatalog::fromEmbeddedFiles()
{
    std::string menu;
    std::vector<std::string> resources;
    for (const auto &[path, content] : embeddedFiles()) {
        if (path == "resources/menu.json")
            menu = std::string(content);
        else if (path.rfind("resources/", 0) == 0)
            resources.emplace_back(content);
    }
    return ResourceCatalog(menu, resources);
}

const ResourceDefinition *ResourceCatalog::find(const std::string &name) const
{
    const auto it = m_resources.find(name);
    return it == m_resources.end() ? nullptr : &it->second;
}
