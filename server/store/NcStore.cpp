// NcOpenStore: the backend a connection string names.
#include "server/store/NcStore.h"

#include "server/store/NcStore_Postgres.h"
#include "server/store/NcStore_Sqlite.h"

std::unique_ptr<INcStore> NcOpenStore(const std::string& strConnection, std::string* pError) {
    static const char kSqlite[] = "sqlite:";
    if (strConnection.compare(0, sizeof(kSqlite) - 1, kSqlite) == 0) {
        return NcOpenSqliteStore(strConnection.substr(sizeof(kSqlite) - 1), pError);
    }
    if (strConnection.compare(0, 13, "postgresql://") == 0 || strConnection.compare(0, 11, "postgres://") == 0) {
        return NcOpenPostgresStore(strConnection, pError);
    }
    if (pError) *pError = "unknown database connection string (sqlite:PATH or postgresql://...)";
    return nullptr;
}
