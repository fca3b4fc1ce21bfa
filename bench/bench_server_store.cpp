// The report store alone, without HTTP: reports committed per second on SQLite and on PostgreSQL, from one
// worker thread and from four (ncserver's default pool). Both commit durably: SQLite in a file under /tmp,
// PostgreSQL in a throw-away cluster with fsync on (tools/pg-test-cluster.sh, started once per run).
// bench/measure_server.py measures the whole server over HTTP.
#include "server/store/NcStore.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include <stdlib.h>
#include <unistd.h>

namespace {

// One store per backend for the whole run; the folder and the cluster are removed at exit.
class CBenchStores {
public:
    static CBenchStores& Get() {
        static CBenchStores s_stores;
        return s_stores;
    }

    INcStore* Sqlite() { return m_pSqlite.get(); }
    INcStore* Postgres() { return m_pPostgres.get(); }
    const std::string& Error() const { return m_strError; }

private:
    CBenchStores() {
        char szDir[] = "/tmp/nc-bench-store.XXXXXX";
        if (!mkdtemp(szDir)) {
            m_strError = "no temporary folder";
            return;
        }
        m_strDir = szDir;
        m_pSqlite = NcOpenStore("sqlite:" + m_strDir + "/reports.db", &m_strError);
        if (m_pSqlite && !m_pSqlite->Migrate())
            m_pSqlite.reset();
        if (Cluster("start")) {
            std::ifstream in(m_strDir + "/pg/url");
            std::string strUrl;
            std::getline(in, strUrl);
            m_pPostgres = NcOpenStore(strUrl, &m_strError);
            if (m_pPostgres && !m_pPostgres->Migrate())
                m_pPostgres.reset();
        } else {
            m_strError = "tools/pg-test-cluster.sh could not start a cluster";
        }
    }
    ~CBenchStores() {
        m_pSqlite.reset();
        m_pPostgres.reset();
        Cluster("stop");
        std::system(("rm -rf '" + m_strDir + "'").c_str());
    }

    bool Cluster(const char* szCommand) {
        // The folder is ours (mkdtemp: letters and digits only), so it can go into the command as it is.
        const std::string strLine = "NC_PG_DURABLE=1 '" NC_SOURCE_DIR "/tools/pg-test-cluster.sh' " +
                                    std::string(szCommand) + " '" + m_strDir + "/pg' >/dev/null";
        return std::system(strLine.c_str()) == 0;
    }

    std::string m_strDir;
    std::string m_strError;
    std::unique_ptr<INcStore> m_pSqlite;
    std::unique_ptr<INcStore> m_pPostgres;
};

// A typical report: four targets, a 3 KB CheckContent, every account new so the ten-minute rule never refuses.
NcReport MakeReport(const std::string& strUser) {
    NcReport report;
    report.strUserName = strUser;
    report.strQuestionType = "1";
    report.strServerName = "电信一区";
    report.strNetType = "电信";
    report.strDescription = "晚上卡顿";
    for (int i = 0; i < 40; ++i)
        report.strCheckContent += "来自 10.1.2.3 的回复: 字节=32 时间=31ms TTL=52@@@";
    report.strClientAddr = "10.0.0.7";
    report.nReceivedAt = 1'800'000'000;
    for (const char* szTarget : {"10.1.2.3", "10.1.2.4", "game.example.com", "8.8.8.8"}) {
        NcTargetFigures fig;
        fig.strTarget = szTarget;
        fig.nLoss = 0;
        fig.nAvgMs = 31;
        fig.nMinMs = 20;
        fig.nMaxMs = 47;
        fig.dJitterMs = 4.5;
        fig.nReplies = 4;
        report.vecFigures.push_back(fig);
    }
    return report;
}

void InsertReports(benchmark::State& state, INcStore* pStore) {
    if (!pStore) {
        state.SkipWithError(("store unavailable: " + CBenchStores::Get().Error()).c_str());
        return;
    }
    static std::atomic<int64_t> s_nNext{0};
    NcReport report = MakeReport("");
    for (auto _ : state) {
        report.strUserName = "bench" + std::to_string(s_nNext++);
        int64_t nId = 0;
        if (pStore->InsertReport(report, report.nReceivedAt, 600, &nId) != NcInsertOutcome::Stored) {
            state.SkipWithError("a report was not stored");
            break;
        }
        benchmark::DoNotOptimize(nId);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_InsertReport_Sqlite(benchmark::State& state) { InsertReports(state, CBenchStores::Get().Sqlite()); }
void BM_InsertReport_Postgres(benchmark::State& state) { InsertReports(state, CBenchStores::Get().Postgres()); }

BENCHMARK(BM_InsertReport_Sqlite)->Threads(1)->Threads(4)->UseRealTime();
BENCHMARK(BM_InsertReport_Postgres)->Threads(1)->Threads(4)->UseRealTime();

}  // namespace
