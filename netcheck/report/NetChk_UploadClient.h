// UploadClient: sends the report of the last check to the report server on a worker thread, polled
// once per frame by the GUI thread, which enforces the time limit and shows the outcome.
//
// The worker can be abandoned: it works only on its own job (copies of everything it reads, its reply,
// its success flag and its completion event), so a worker that outlives its upload never touches what
// the GUI thread uses next. Abandoning cancels the job's socket, which releases a worker blocked on a
// silent server at once, and detaches the thread; the job is freed by whichever side lets go last.
#pragma once

#include "netcheck/report/NetChk_UploadForm.h"

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

class CNetChk_UtilResMgr;
struct NetChkUploadJob;

// Where the outcome of an upload shows: the report window and the message box.
class INetChkUploadView {
public:
    virtual ~INetChkUploadView() = default;
    virtual bool IsReportWndVisible() = 0;
    // Result code 1: back to editing so that the account can be corrected (the first half).
    virtual void ResumeEditing() = 0;
    virtual void HideReportWnd() = 0;
    virtual void ShowMessage(const std::string& strText) = 0;
};

class CNetChk_UploadClient {
public:
    CNetChk_UploadClient();
    ~CNetChk_UploadClient();
    CNetChk_UploadClient(const CNetChk_UploadClient&) = delete;
    CNetChk_UploadClient& operator=(const CNetChk_UploadClient&) = delete;

    // Texts come from pResMgr, the outcome goes to pView (either may be null: the text is then empty,
    // the outcome only logged), strTargetFile is the result file the failure text names.
    void SetResultTargets(const CNetChk_UtilResMgr* pResMgr, INetChkUploadView* pView);
    void SetTargetFile(const std::string& strTargetFile) { m_strTargetFile = strTargetFile; }

    // Ends a left-over upload, copies the form and the connection from g_DetailInfo and starts the
    // worker. uNowMs is the application clock; the caller sets AppState to 1. False (logged) when the
    // thread cannot be started.
    bool StartUpload(uint32_t uNowMs);
    // Once per frame while uploading. True when the upload has ended (finished or timed out; the
    // result is shown and the caller sets AppState to 2), false while it still runs.
    bool PollUpload(uint32_t uNowMs);
    // The result code from the reply the worker received.
    void ParseUploadReply();
    void ShowUploadResult();
    // Abandons a running worker (cancels its connection, detaches it) and drops the event.
    void StopUpload();
    // Waits up to uMilliseconds for a running worker to finish (shutdown, tests); true when none runs.
    bool WaitForWorker(uint32_t uMilliseconds);

    int32_t GetResultCode() const { return m_nResultCode; }
    int32_t GetReplyNumber() const { return m_nReplyNumber; }
    // The text ShowUploadResult shows for the current result code.
    std::string BuildResultMessage() const;
    // Whether a worker is running (started and not yet collected or abandoned).
    bool IsRunning() const { return static_cast<bool>(m_pJob); }

    // The worker's thread function; public so that a caller may run one job on its own thread.
    static void UploadThreadProc(std::shared_ptr<NetChkUploadJob> pJob);

private:
    int32_t m_nResultCode = kUploadFailed;
    uint32_t m_uThreadId = 0;
    std::thread m_Thread;
    int32_t m_nReplyNumber = 0;
    uint32_t m_uStartTime = 0;

    std::shared_ptr<NetChkUploadJob> m_pJob;  // the running upload; null when none
    std::string m_strReceived;                // the reply of the last collected upload
    uint32_t m_bSuccess = 0;
    const CNetChk_UtilResMgr* m_pResMgr = nullptr;
    INetChkUploadView* m_pView = nullptr;
    std::string m_strTargetFile;
};
