#include "server/RecordStore.h"

#include "server/PostgresRecordStore.h"
#include "server/SqliteRecordStore.h"

bool RecordStore::isPostgres(const std::string &database)
{
    return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

std::unique_ptr<RecordStore> RecordStore::open(const std::string &database)
{
    if (isPostgres(database))
        return std::make_unique<PostgresRecordStore>(database);
    return std::make_unique<SqliteRecordStore>(database);
}
