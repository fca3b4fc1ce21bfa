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

std::string NcReportWhere(const NcReportFilter& filter, bool bDollar, std::vector<NcSqlParam>* pParams) {
    std::string strWhere = "1=1";
    auto add = [&](const char* szBefore, const char* szAfter, NcSqlParam param) {
        pParams->push_back(std::move(param));
        strWhere += " AND ";
        strWhere += szBefore;
        strWhere += bDollar ? "$" + std::to_string(pParams->size()) : std::string("?");
        strWhere += szAfter;
    };
    auto text = [](const std::string& str) {
        NcSqlParam p;
        p.strValue = str;
        return p;
    };
    auto number = [](int64_t n) {
        NcSqlParam p;
        p.bInt = true;
        p.nValue = n;
        return p;
    };
    if (!filter.strAccount.empty()) add("user_name = ", "", text(filter.strAccount));
    if (!filter.strServer.empty()) add("server_name = ", "", text(filter.strServer));
    if (!filter.strGroup.empty()) add("question_type = ", "", text(filter.strGroup));
    if (!filter.strCarrier.empty()) add("net_type = ", "", text(filter.strCarrier));
    if (filter.nVerdict >= -1) add("verdict = ", "", number(filter.nVerdict));
    if (filter.nFrom > 0) add("received_at >= ", "", number(filter.nFrom));
    if (filter.nTo < INT64_MAX) add("received_at < ", "", number(filter.nTo));
    if (!filter.strText.empty()) {
        if (bDollar) {
            // LIKE (exact bytes, case kept) can use the trigram index; its wildcards and escape made literal.
            std::string strPattern = "%";
            for (const char c : filter.strText) {
                if (c == '%' || c == '_' || c == '\\') strPattern += '\\';
                strPattern += c;
            }
            strPattern += '%';
            add("description LIKE ", "", text(strPattern));
        } else {
            add("instr(description, ", ") > 0", text(filter.strText));
        }
    }
    return strWhere;
}
