// One upload's own data, shared by the GUI thread and the worker; see CNetChk_UploadClient.
#pragma once

#include "KX_Platform/KXPlatform_Event.h"
#include "KX_Platform/KXPlatform_TcpClient.h"
#include "netcheck/report/NetChk_UploadForm.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

struct NetChkUploadJob {
    // Inputs, copied before the worker starts and never changed afterwards.
    uint32_t uAddress = 0;  // network byte order
    uint16_t uPort = 0;
    std::string strDomain;
    std::string strPage;
    std::string strIpPage;
    NetChkUploadForm form;  // the worker fills form.strNetType when it is empty

    // Outputs: the GUI thread reads them only after the completion event is set.
    uint32_t bSuccess = 0;
    std::string strReceived;
    KXPlatform::CManualResetEvent completed;

    // Abandoning: Abandon cancels the connection the worker holds (now or as soon as it makes one).
    void Abandon();
    // The worker registers its connection; false when the job has already been abandoned.
    bool Attach(KXPlatform::ITcpClient* pClient);
    void Detach();
    bool IsAbandoned() const { return bAbandoned.load(); }

private:
    std::mutex mutex;
    KXPlatform::ITcpClient* pConnection = nullptr;
    std::atomic<bool> bAbandoned{false};
};
