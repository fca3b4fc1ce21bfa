// The SQLite store's reads and writes for the support site: staff, sessions, the report list and the
// rows analytics are computed from.
#include "server/store/NcStore_SqliteImpl.h"

namespace ncsqlite {

namespace {

void FillFilterRow(const CStatement& query, NcReportRow* pRow) {
    pRow->nId = query.ColumnInt(0);
    pRow->nReceivedAt = query.ColumnInt(1);
    pRow->strUserName = query.ColumnText(2);
    pRow->strServerName = query.ColumnText(3);
    pRow->strQuestionType = query.ColumnText(4);
    pRow->strNetType = query.ColumnText(5);
    pRow->strClientAddr = query.ColumnText(6);
    pRow->strDescription = query.ColumnText(7);
    pRow->nVerdict = static_cast<int32_t>(query.ColumnInt(8));
}

}  // namespace

bool CNcStoreSqlite::PutStaff(const std::string& strName, const std::string& strHash, int64_t nNowSec) {
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement put(m_pDb,
                   "INSERT INTO staff (name, pw_hash, created_at) VALUES (?, ?, ?)"
                   " ON CONFLICT (name) DO UPDATE SET pw_hash = excluded.pw_hash");
    if (!put.Ok()) {
        LogSqlite("NcStoreSqlite::PutStaff", m_pDb, "preparing");
        return false;
    }
    put.Text(1, strName);
    put.Text(2, strHash);
    put.Int(3, nNowSec);
    if (put.Step() == SQLITE_DONE) return true;
    LogSqlite("NcStoreSqlite::PutStaff", m_pDb, "storing a staff account");
    return false;
}

int32_t CNcStoreSqlite::GetStaffHash(const std::string& strName, std::string* pHash) {
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement query(m_pDb, "SELECT pw_hash FROM staff WHERE name = ?");
    if (!query.Ok()) return -1;
    query.Text(1, strName);
    const int nStep = query.Step();
    if (nStep == SQLITE_ROW) {
        *pHash = query.ColumnText(0);
        return 1;
    }
    return nStep == SQLITE_DONE ? 0 : -1;
}

bool CNcStoreSqlite::CreateSession(const std::string& strToken, const NcStaffSession& session) {
    std::lock_guard<std::mutex> guard(m_lock);
    // Expired sessions go when new ones come, so the table stays small without a sweeper.
    CStatement sweep(m_pDb, "DELETE FROM staff_sessions WHERE expires_at <= ?");
    if (sweep.Ok()) {
        sweep.Int(1, session.nExpiresAt - 7 * 24 * 3600);
        sweep.Step();
    }
    CStatement insert(m_pDb, "INSERT INTO staff_sessions (token, staff_name, csrf, expires_at) VALUES (?, ?, ?, ?)");
    if (!insert.Ok()) return false;
    insert.Text(1, strToken);
    insert.Text(2, session.strName);
    insert.Text(3, session.strCsrf);
    insert.Int(4, session.nExpiresAt);
    if (insert.Step() == SQLITE_DONE) return true;
    LogSqlite("NcStoreSqlite::CreateSession", m_pDb, "storing a session");
    return false;
}

int32_t CNcStoreSqlite::GetSession(const std::string& strToken, int64_t nNowSec, NcStaffSession* pSession) {
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement query(m_pDb, "SELECT staff_name, csrf, expires_at FROM staff_sessions WHERE token = ? AND expires_at > ?");
    if (!query.Ok()) return -1;
    query.Text(1, strToken);
    query.Int(2, nNowSec);
    const int nStep = query.Step();
    if (nStep == SQLITE_ROW) {
        pSession->strName = query.ColumnText(0);
        pSession->strCsrf = query.ColumnText(1);
        pSession->nExpiresAt = query.ColumnInt(2);
        return 1;
    }
    return nStep == SQLITE_DONE ? 0 : -1;
}

bool CNcStoreSqlite::DeleteSession(const std::string& strToken) {
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement del(m_pDb, "DELETE FROM staff_sessions WHERE token = ?");
    if (!del.Ok()) return false;
    del.Text(1, strToken);
    return del.Step() == SQLITE_DONE;
}

bool CNcStoreSqlite::ListReports(const NcReportFilter& filter, int64_t nOffset, int32_t nLimit,
                                 std::vector<NcReportRow>* pRows) {
    std::vector<NcSqlParam> vecParams;
    std::string strSql;
    size_t uChars = 0;   // the trigram index only finds phrases of three characters or more
    for (const char c : filter.strText) uChars += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    if (uChars < 3) {
        strSql = "SELECT id, received_at, user_name, server_name, question_type, net_type, client_addr,"
                 " substr(description, 1, 120), verdict FROM reports WHERE " +
                 NcReportWhere(filter, false, &vecParams) + " ORDER BY id DESC LIMIT ? OFFSET ?";
    } else {
        // The phrase through the trigram index, newest match first, so a common phrase stops at the page's
        // last row. GLOB (exact bytes, case kept) with its own wildcards made literal.
        std::string strGlob = "*";
        for (const char c : filter.strText) {
            if (c == '*' || c == '?' || c == '[') {
                strGlob += '[';
                strGlob += c;
                strGlob += ']';
            } else {
                strGlob += c;
            }
        }
        strGlob += '*';
        NcSqlParam glob;
        glob.strValue = strGlob;
        vecParams.push_back(glob);
        NcReportFilter rest = filter;
        rest.strText.clear();
        strSql = "SELECT r.id, r.received_at, r.user_name, r.server_name, r.question_type, r.net_type,"
                 " r.client_addr, substr(r.description, 1, 120), r.verdict"
                 " FROM reports_text t CROSS JOIN reports r ON r.id = t.rowid"
                 " WHERE t.description GLOB ? AND " +
                 NcReportWhere(rest, false, &vecParams) + " ORDER BY t.rowid DESC LIMIT ? OFFSET ?";
    }
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement query(m_pDb, strSql.c_str());
    if (!query.Ok()) {
        LogSqlite("NcStoreSqlite::ListReports", m_pDb, "preparing");
        return false;
    }
    int nIndex = 1;
    for (const NcSqlParam& param : vecParams) {
        if (param.bInt) {
            query.Int(nIndex++, param.nValue);
        } else {
            query.Text(nIndex++, param.strValue);
        }
    }
    query.Int(nIndex++, nLimit);
    query.Int(nIndex, nOffset);
    pRows->clear();
    int nStep;
    while ((nStep = query.Step()) == SQLITE_ROW) {
        NcReportRow row;
        FillFilterRow(query, &row);
        pRows->push_back(std::move(row));
    }
    if (nStep == SQLITE_DONE) return true;
    LogSqlite("NcStoreSqlite::ListReports", m_pDb, "reading");
    return false;
}

bool CNcStoreSqlite::ListFigures(int64_t nFrom, int64_t nTo, size_t nMaxRows, std::vector<NcFigureRow>* pRows) {
    std::lock_guard<std::mutex> guard(m_lock);
    return ReadFiguresLocked(nFrom, nTo, nMaxRows > INT64_MAX ? INT64_MAX : static_cast<int64_t>(nMaxRows), pRows);
}

bool CNcStoreSqlite::ReadFiguresLocked(int64_t nFrom, int64_t nTo, int64_t nMaxRows, std::vector<NcFigureRow>* pRows) {
    CStatement query(m_pDb,
                     "SELECT r.id, r.received_at, r.server_name, r.question_type, r.net_type, r.verdict,"
                     " f.target, f.loss_pct, f.avg_ms, f.jitter_ms"
                     " FROM reports r LEFT JOIN report_figures f ON f.report_id = r.id"
                     " WHERE r.received_at >= ? AND r.received_at < ? ORDER BY r.received_at, r.id, f.seq LIMIT ?");
    if (!query.Ok()) {
        LogSqlite("NcStoreSqlite::ListFigures", m_pDb, "preparing");
        return false;
    }
    query.Int(1, nFrom);
    query.Int(2, nTo);
    query.Int(3, nMaxRows);
    pRows->clear();
    int nStep;
    while ((nStep = query.Step()) == SQLITE_ROW) {
        NcFigureRow row;
        row.nReportId = query.ColumnInt(0);
        row.nReceivedAt = query.ColumnInt(1);
        row.strServerName = query.ColumnText(2);
        row.strQuestionType = query.ColumnText(3);
        row.strNetType = query.ColumnText(4);
        row.nVerdict = static_cast<int32_t>(query.ColumnInt(5));
        if (sqlite3_column_type(query.Get(), 6) != SQLITE_NULL) {
            row.strTarget = query.ColumnText(6);
            row.nLoss = static_cast<int32_t>(query.ColumnInt(7));
            row.nAvgMs = static_cast<int32_t>(query.ColumnInt(8));
            row.dJitterMs = query.ColumnReal(9);
        }
        pRows->push_back(std::move(row));
    }
    if (nStep == SQLITE_DONE) return true;
    LogSqlite("NcStoreSqlite::ListFigures", m_pDb, "reading");
    return false;
}

}  // namespace ncsqlite
