// The upload worker: carrier lookup, the request over one TCP connection, the whole reply.
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "netcheck/report/NetChk_Carrier.h"
#include "netcheck/report/NetChk_UploadClient.h"
#include "netcheck/report/NetChk_UploadJob.h"

#include <cstring>

namespace {
const char kTag[] = "UploadThreadProc";
constexpr size_t kChunkBytes = 500;
// A reply is a short page; more than this is a broken or hostile server and ends the upload.
constexpr size_t kMaxReplyBytes = 16u * 1024u * 1024u;
}  // namespace

void NetChkUploadJob::Abandon() {
    std::lock_guard<std::mutex> lock(mutex);
    bAbandoned.store(true);
    if (pConnection) pConnection->Cancel();
}

bool NetChkUploadJob::Attach(KXPlatform::ITcpClient* pClient) {
    std::lock_guard<std::mutex> lock(mutex);
    pConnection = pClient;
    if (bAbandoned.load()) pClient->Cancel();
    return !bAbandoned.load();
}

void NetChkUploadJob::Detach() {
    std::lock_guard<std::mutex> lock(mutex);
    pConnection = nullptr;
}

namespace {

// Steps 3 to 8 of one upload; true when the whole reply arrived.
bool SendAndReceive(NetChkUploadJob& job) {
    int nCreateError = 0;
    std::unique_ptr<KXPlatform::ITcpClient> pClient = KXPlatform::CreateTcpClient(nCreateError);
    if (!pClient) {
        ArkLog(WL_ERROR, M_Logic, "%s 创建socket失败！！", kTag);
        return false;
    }
    ArkLog(WL_MUST, M_Logic, "%s 创建socket成功！", kTag);
    job.Attach(pClient.get());
    struct DetachOnExit {
        NetChkUploadJob& job;
        ~DetachOnExit() { job.Detach(); }
    } detach{job};

    if (!pClient->Connect(job.uAddress, job.uPort)) {
        ArkLog(WL_ERROR, M_Common, "%s 连接请求失败，错误码[%d]", kTag, pClient->GetLastError());
        return false;
    }
    ArkLog(WL_MUST, M_Logic, "%s 创建连接成功！", kTag);

    const std::string request =
        NetChk_BuildUploadRequest(job.strPage, job.strDomain, NetChk_BuildUploadBody(job.form));
    const int64_t nSent = pClient->Send(request.data(), request.size());
    if (nSent != static_cast<int64_t>(request.size())) {
        ArkLog(WL_ERROR, M_Common, "%s 发送数据失败，长度不一致，发送长度 %d , 实际长度 %d", kTag,
               static_cast<int>(nSent), static_cast<int>(request.size()));
        return false;
    }
    ArkLog(WL_MUST, M_Common, "%s 发送长度 %d , 实际长度 %d", kTag, static_cast<int>(nSent),
           static_cast<int>(request.size()));

    job.strReceived.clear();
    char buf[kChunkBytes + 1];
    for (;;) {
        const int64_t n = pClient->Receive(buf, kChunkBytes);
        if (n == 0) break;
        if (n < 0 || job.strReceived.size() + static_cast<size_t>(n) > kMaxReplyBytes) {
            ArkLog(WL_ERROR, M_Common, "%s 接收数据失败，错误代码 %d", kTag, n < 0 ? pClient->GetLastError() : 0);
            return false;
        }
        buf[n] = '\0';
        ArkLog(WL_MUST, M_Logic, "%s 接收数据，recevbuf = \n【%s】", kTag, buf);
        job.strReceived.append(buf, std::strlen(buf));
    }
    ArkLog(WL_MUST, M_Logic, "%s 接受数据成功， g_DetailInfo.received = %s", kTag, job.strReceived.c_str());
    return true;
}

}  // namespace

void CNetChk_UploadClient::UploadThreadProc(std::shared_ptr<NetChkUploadJob> pJob) {
    NetChkUploadJob& job = *pJob;
    if (job.form.strNetType.empty() && !job.IsAbandoned()) LookupCarrier(job.form.strNetType, job.strIpPage);
    const bool bOk = !job.IsAbandoned() && SendAndReceive(job);
    job.bSuccess = bOk ? 1u : 0u;
    if (bOk) ArkLog(WL_MUST, M_Logic, "%s 发送请求并接收成功！", kTag);
    job.completed.Set();
}
