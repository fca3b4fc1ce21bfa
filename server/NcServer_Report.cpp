// The report page's rules, in the order a client sees them: form, account, server name, repeat window.
#include "server/NcServer_Report.h"

#include "server/NcServer_Figures.h"
#include "server/NcServer_Form.h"

#include <algorithm>

NcReportReply NcHandleReport(const std::string& strBody, const std::string& strClientAddr, int64_t nNowSec,
                             const NcServerConfig& config, INcStore& store) {
    NcReportReply reply;
    NcReportForm form;
    const NcFormResult formResult = NcParseReportForm(strBody, &form);
    if (formResult != NcFormResult::Ok) {
        reply.szOutcome = NcFormResultName(formResult);
        return reply;
    }
    // From here on the request was understood: the answer is in the body, the status says only whether
    // the server could do its part.
    reply.nStatus = 200;
    if (form.strUserName.empty()) {
        reply.nRet = -2;
        reply.szOutcome = "unknown_account";
        return reply;
    }
    if (config.bAccountTable) {
        const int32_t nKnown = store.HasAccount(form.strUserName);
        if (nKnown != 1) {
            reply.nStatus = nKnown < 0 ? 503 : 200;
            reply.nRet = nKnown < 0 ? -1 : -2;
            reply.szOutcome = nKnown < 0 ? "store_failed" : "unknown_account";
            return reply;
        }
    }
    if (!config.vecServerNames.empty() &&
        std::find(config.vecServerNames.begin(), config.vecServerNames.end(), form.strServerName) ==
            config.vecServerNames.end()) {
        reply.nRet = -1;
        reply.szOutcome = "unknown_server";
        return reply;
    }

    NcReport report;
    report.strUserName = std::move(form.strUserName);
    report.strQuestionType = std::move(form.strQuestionType);
    report.strServerName = std::move(form.strServerName);
    report.strNetType = std::move(form.strNetType);
    report.strDescription = std::move(form.strDescription);
    report.vecFigures = NcExtractFigures(form.strCheckContent);
    report.nVerdict = NcExtractVerdict(form.strCheckContent);
    report.strCheckContent = std::move(form.strCheckContent);
    report.strClientAddr = strClientAddr;
    report.nReceivedAt = nNowSec;
    int64_t nId = 0;
    switch (store.InsertReport(report, nNowSec, config.nRepeatWindowSec, &nId)) {
        case NcInsertOutcome::Stored:
            reply.nRet = nId;
            reply.szOutcome = "stored";
            break;
        case NcInsertOutcome::RecentAccount:
            reply.nRet = -3;
            reply.szOutcome = "recent";
            break;
        case NcInsertOutcome::Failed:
            reply.nStatus = 503;
            reply.nRet = -1;
            reply.szOutcome = "store_failed";
            break;
    }
    return reply;
}

std::string NcReplyBody(int64_t nRet) { return "{ret=" + std::to_string(nRet) + "}"; }
