#include "server/DatabaseSeeder.h"

#include "server/EmbeddedFiles.h"
#include "server/RecordStore.h"
#include "server/RecordValidator.h"
#include "server/ResourceCatalog.h"

int DatabaseSeeder::seed(const ResourceCatalog &catalog, RecordStore &store, const RecordValidator &validator)
{
    int stored = 0;
    for (const std::string &name : catalog.names()) {
        const auto file = embeddedFiles().find("seed/" + name + ".json");
        if (file == embeddedFiles().end())
            continue;
        const auto records = nlohmann::ordered_json::parse(file->second);
        store.transaction([&] {
            if (store.count(name) > 0)
                return;
            for (const auto &record : records) {
                store.insert(name, validator.normalize(*catalog.find(name), record), record.at("id").get<long long>());
                ++stored;
            }
        });
    }
    return stored;
}
