// ncserver: the platform server the network checker reports to. Runs until SIGTERM or SIGINT, then lets
// the requests in flight finish and exits 0.
#include "server/NcServer.h"
#include "server/NcServer_Cli.h"
#include "server/site/NcSite.h"
#include "server/store/NcStore_Rollup.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

int Fail(const std::string& strWhat) {
    std::fprintf(stderr, "ncserver: %s\n", strWhat.c_str());
    return 1;
}

std::unique_ptr<INcStore> OpenMigrated(const NcServerConfig& config, std::string* pError) {
    std::unique_ptr<INcStore> pStore = NcOpenStore(config.strDatabase, pError);
    if (pStore && !pStore->Migrate()) {
        *pError = "cannot bring the database schema up to date";
        pStore.reset();
    }
    return pStore;
}

int Serve(const NcServerConfig& config) {
    std::string strError;
    std::unique_ptr<INcStore> pStore = OpenMigrated(config, &strError);
    if (!pStore) return Fail(strError);
    // The dump folder is made when missing (its parent must exist), or every dump would fail later.
    if (mkdir(config.strDumpDir.c_str(), 0750) != 0 && errno != EEXIST) {
        return Fail("cannot make the dump folder " + config.strDumpDir);
    }

    // The signals are taken by sigwait below: blocked before any thread starts, so none of the server's
    // threads is interrupted by them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    CNcServer server(config, *pStore);
    if (!server.Start(&strError)) return Fail(strError);
    int nSignal = 0;
    sigwait(&stopSignals, &nSignal);  // Stop logs the stop; which signal it was does not matter
    server.Stop();
    return 0;
}

int ImportAccounts(const NcServerCommand& command) {
    std::ifstream file(command.strAccountsFile, std::ios::binary);
    if (!file) return Fail("cannot read " + command.strAccountsFile);
    std::ostringstream text;
    text << file.rdbuf();
    std::vector<std::string> vecNames;
    std::string strError;
    if (!NcParseAccountList(text.str(), &vecNames, &strError)) return Fail(command.strAccountsFile + ": " + strError);
    std::unique_ptr<INcStore> pStore = OpenMigrated(command.config, &strError);
    if (!pStore) return Fail(strError);
    size_t uAdded = 0;
    if (!pStore->ImportAccounts(vecNames, &uAdded)) return Fail("the import failed; nothing was added");
    std::printf("accounts read=%zu added=%zu\n", vecNames.size(), uAdded);
    return 0;
}

// One line of standard input; from a terminal it is asked for twice and not echoed.
bool ReadPassword(std::string* pPassword) {
    const bool bTerminal = isatty(STDIN_FILENO) != 0;
    termios old{};
    if (bTerminal) {
        tcgetattr(STDIN_FILENO, &old);
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        std::fputs("password: ", stderr);
    }
    std::string strFirst, strSecond;
    bool bOk = static_cast<bool>(std::getline(std::cin, strFirst));
    if (bOk && bTerminal) {
        std::fputs("\nagain: ", stderr);
        bOk = static_cast<bool>(std::getline(std::cin, strSecond)) && strSecond == strFirst;
    }
    if (bTerminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
        std::fputs("\n", stderr);
    }
    if (!strFirst.empty() && strFirst.back() == '\r') strFirst.pop_back();
    *pPassword = strFirst;
    return bOk;
}

int AddStaff(const NcServerCommand& command) {
    std::string strPassword, strHash, strError;
    if (!ReadPassword(&strPassword)) return Fail("no password given (or the two did not match)");
    if (strPassword.size() < 8) return Fail("a password needs at least 8 characters");
    if (!NcSiteHashPassword(strPassword, &strHash)) return Fail("cannot hash the password");
    std::unique_ptr<INcStore> pStore = OpenMigrated(command.config, &strError);
    if (!pStore) return Fail(strError);
    if (!pStore->PutStaff(command.strStaffName, strHash, static_cast<int64_t>(std::time(nullptr)))) {
        return Fail("cannot store the staff account");
    }
    std::printf("staff account %s stored\n", command.strStaffName.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    NcServerCommand command;
    std::string strError;
    if (!NcParseServerCommand(std::vector<std::string>(argv + 1, argv + argc), &command, &strError)) {
        std::fprintf(stderr, "ncserver: %s\n%s", strError.c_str(), kNcServerUsage);
        return 2;
    }
    switch (command.action) {
        case NcServerCommand::Action::Help:
            std::fputs(kNcServerUsage, stdout);
            return 0;
        case NcServerCommand::Action::Migrate: {
            std::unique_ptr<INcStore> pStore = OpenMigrated(command.config, &strError);
            if (!pStore) return Fail(strError);
            std::printf("schema version %d\n", pStore->SchemaVersion());
            return 0;
        }
        case NcServerCommand::Action::RebuildRollup: {
            std::unique_ptr<INcStore> pStore = OpenMigrated(command.config, &strError);
            if (!pStore) return Fail(strError);
            if (!pStore->RebuildRollup(NcHourOf(static_cast<int64_t>(std::time(nullptr)) - kNcRollupLagSec)))
                return Fail("the rollup could not be rebuilt; it is as it was");
            std::printf("rollup rebuilt from %lld reports\n", static_cast<long long>(pStore->CountReports()));
            return 0;
        }
        case NcServerCommand::Action::ImportAccounts:
            return ImportAccounts(command);
        case NcServerCommand::Action::AddStaff:
            return AddStaff(command);
        case NcServerCommand::Action::Serve:
            break;
    }
    return Serve(command.config);
}
