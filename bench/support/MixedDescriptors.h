#pragma once

// Server answers for the benchmarks that build screens: field descriptors of every control kind
// (kinds cycle in the order of TMixedKind) and a menu.

#include "rest/JsonUtils.h"

#include <string>

namespace bench {

// Edits of every "tipo", check box, date, fixed values, local combo, lookup edit, a remote combo
// that waits for its parameters (no request) and a remote combo that loads its options at once.
enum TMixedKind { mkLong, mkString, mkBoolean, mkDate, mkEnum, mkDouble, mkLocalCombo, mkLookup, mkRemoteCombo,
                  mkInt, mkLoadingCombo };

// withLoads: include kinds that send a request while the screen is built (mkLoadingCombo).
inline TJson MixedDescriptor(int index, bool withLoads = false)
{
    const int kinds = withLoads ? mkLoadingCombo + 1 : mkLoadingCombo;
    TJson item = {{"nome", "campo" + std::to_string(index)}, {"label", "Campo número " + std::to_string(index)}};
    switch (index % kinds) {
    case mkLong: item["tipo"] = "long"; break;
    case mkString: item["tipo"] = "string"; item["tamanho"] = {{"max", 60}}; break;
    case mkBoolean: item["tipo"] = "boolean"; break;
    case mkDate: item["tipo"] = "localdate"; break;
    case mkEnum:
        item["tipo"] = "enum";
        item["values"] = TJson::array({{{"id", "A"}, {"descricao", "Ativo"}}, {{"id", "I"}, {"descricao", "Inativo"}},
                                       {{"id", "B"}, {"descricao", "Bloqueado"}}});
        break;
    case mkDouble: item["tipo"] = "double"; break;
    case mkLocalCombo:
        item.update({{"tipo", "string"}, {"resource", "root.entregas"}, {"type", "LOCAL"}, {"id", "codigo"},
                     {"displayField", "descricao"}});
        break;
    case mkLookup:
        item.update({{"tipo", "long"}, {"resource", "clientes"}, {"type", "REMOTE"}, {"id", "id"},
                     {"displayField", "nome"}, {"count", 60}});
        break;
    case mkRemoteCombo:
        item.update({{"tipo", "long"}, {"resource", "produtos"}, {"type", "REMOTE"}, {"id", "id"},
                     {"displayField", "nome"}, {"count", 40},
                     {"params", TJson::array({{{"nome", "categoria"}, {"tipo", "Long"},
                                               {"origem", {{"source", "root.categorias"}, {"field", "categoria"}}}}})}});
        break;
    case mkInt: item["tipo"] = "int"; break;
    case mkLoadingCombo:
        item.update({{"tipo", "long"}, {"resource", "categorias"}, {"type", "REMOTE"}, {"id", "id"},
                     {"displayField", "nome"}, {"count", 8}});
        break;
    }
    return item;
}

inline TJson MixedDescriptors(int count, bool withLoads = false)
{
    TJson all = TJson::array();
    for (int i = 0; i < count; ++i)
        all.push_back(MixedDescriptor(i, withLoads));
    return all;
}

// A menu as "acesso/menus" answers it: entries "Cadastro i" of resources "<prefix>i", from 1.
inline TJson Menu(int entries, const std::string &prefix)
{
    TJson menu = TJson::array();
    for (int i = 1; i <= entries; ++i)
        menu.push_back({{"descricao", "Cadastro " + std::to_string(i)}, {"resource", prefix + std::to_string(i)}});
    return menu;
}

} // namespace bench
