// The command line of ncserver. The flags are a stable interface: scripts and the service unit use them.
#include "server/NcServer_Cli.h"

#include "server/NcServer_Form.h"

const char kNcServerUsage[] =
    "usage: ncserver [--config FILE] [--listen HOST:PORT] [--db sqlite:PATH | postgresql://...]\n"
    "                [--catalogues DIR] [--dumps DIR] [--page PATH]\n"
    "       ncserver accounts import FILE.csv [--config FILE] [--db ...]\n"
    "       ncserver migrate [--config FILE] [--db ...]\n"
    "       ncserver rollup rebuild [--config FILE] [--db ...]   (analytics counted again from every report)\n"
    "       ncserver staff add NAME [--config FILE] [--db ...]   (password from the terminal or one line of stdin)\n";

bool NcParseServerCommand(const std::vector<std::string>& vecArgs, NcServerCommand* pCommand, std::string* pError) {
    NcServerCommand command;
    size_t i = 0;
    if (i < vecArgs.size() && vecArgs[i] == "migrate") {
        command.action = NcServerCommand::Action::Migrate;
        ++i;
    } else if (i + 1 < vecArgs.size() && vecArgs[i] == "rollup" && vecArgs[i + 1] == "rebuild") {
        command.action = NcServerCommand::Action::RebuildRollup;
        i += 2;
    } else if (i + 1 < vecArgs.size() && vecArgs[i] == "accounts" && vecArgs[i + 1] == "import") {
        if (i + 2 >= vecArgs.size() || vecArgs[i + 2].compare(0, 2, "--") == 0) {
            *pError = "accounts import needs a file";
            return false;
        }
        command.action = NcServerCommand::Action::ImportAccounts;
        command.strAccountsFile = vecArgs[i + 2];
        i += 3;
    } else if (i + 1 < vecArgs.size() && vecArgs[i] == "staff" && vecArgs[i + 1] == "add") {
        if (i + 2 >= vecArgs.size() || vecArgs[i + 2].compare(0, 2, "--") == 0 || vecArgs[i + 2].empty() ||
            !NcIsValidUtf8(vecArgs[i + 2])) {
            *pError = "staff add needs a name";
            return false;
        }
        command.action = NcServerCommand::Action::AddStaff;
        command.strStaffName = vecArgs[i + 2];
        i += 3;
    }

    // The file first, wherever --config stands, so that every flag overrides it.
    for (size_t k = i; k < vecArgs.size(); ++k) {
        if (vecArgs[k] != "--config") continue;
        if (k + 1 >= vecArgs.size()) {
            *pError = "--config needs a value";
            return false;
        }
        if (!NcLoadServerConfig(vecArgs[k + 1], &command.config, pError)) return false;
    }
    NcServerConfig& config = command.config;
    for (; i < vecArgs.size(); ++i) {
        const std::string& strFlag = vecArgs[i];
        if (strFlag == "--help" || strFlag == "-h") {
            command.action = NcServerCommand::Action::Help;
            *pCommand = command;
            return true;
        }
        if (i + 1 >= vecArgs.size()) {
            *pError = strFlag.compare(0, 2, "--") == 0 ? strFlag + " needs a value" : "unexpected word: " + strFlag;
            return false;
        }
        const std::string& strValue = vecArgs[++i];
        if (strFlag == "--config") {
            continue;
        } else if (strFlag == "--listen") {
            if (!NcParseListen(strValue, &config.strListenHost, &config.uPort)) {
                *pError = "--listen: not IPV4:PORT: " + strValue;
                return false;
            }
        } else if (strFlag == "--db") {
            config.strDatabase = strValue;
        } else if (strFlag == "--catalogues") {
            config.strCatalogueDir = strValue;
        } else if (strFlag == "--dumps") {
            config.strDumpDir = strValue;
        } else if (strFlag == "--page") {
            if (strValue.empty() || strValue[0] != '/') {
                *pError = "--page: a path starting with /: " + strValue;
                return false;
            }
            config.strPage = strValue;
        } else {
            *pError = "unknown flag: " + strFlag;
            return false;
        }
    }
    *pCommand = command;
    return true;
}

bool NcParseAccountList(const std::string& strText, std::vector<std::string>* pNames, std::string* pError) {
    std::vector<std::string> names;
    size_t uStart = 0;
    size_t nLine = 0;
    while (uStart < strText.size()) {
        size_t uEnd = strText.find('\n', uStart);
        if (uEnd == std::string::npos) uEnd = strText.size();
        std::string line = strText.substr(uStart, uEnd - uStart);
        uStart = uEnd + 1;
        ++nLine;
        if (nLine == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        std::string field = line.substr(0, line.find(','));
        size_t b = 0, e = field.size();
        while (b < e && (field[b] == ' ' || field[b] == '\t')) ++b;
        while (e > b && (field[e - 1] == ' ' || field[e - 1] == '\t' || field[e - 1] == '\r')) --e;
        field = field.substr(b, e - b);
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = field.substr(1, field.size() - 2);
        if (field.empty() || field[0] == '#') continue;
        if (nLine == 1 && (field == "account" || field == "Account" || field == "UserName")) continue;
        if (!NcIsValidUtf8(field)) {
            *pError = "line " + std::to_string(nLine) + ": the account is not UTF-8 text";
            return false;
        }
        names.push_back(field);
    }
    *pNames = std::move(names);
    return true;
}
