// The embedded backend of the report store: one SQLite file in WAL mode.
#pragma once

#include "server/store/NcStore.h"

// Opens (creating when missing) the database file at strPath. Null with *pError set on failure.
// The schema is not touched here: the caller runs Migrate().
std::unique_ptr<INcStore> NcOpenSqliteStore(const std::string& strPath, std::string* pError);
