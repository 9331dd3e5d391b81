#pragma once

class RecordStore;
class RecordValidator;
class ResourceCatalog;

// Fills empty tables with the sample records of server/seed/<resource>.json (compiled in), in menu
// order so that references point at records already stored. Each record passes the validator.
class DatabaseSeeder final
{
public:
    // Returns the number of records stored.
    static int seed(const ResourceCatalog &catalog, RecordStore &store, const RecordValidator &validator);
};
