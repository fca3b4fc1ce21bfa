// What each request gets: the report page, the address page, catalogue documents, dump uploads and the
// health check, with one log line per request when it completes.
#include "server/NcServer_Impl.h"

#include "server/NcServer_Names.h"
#include "server/NcServer_Report.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cstring>

namespace {

const char kTextType[] = "text/plain; charset=utf-8";
const char kCataloguePrefix[] = "/netcheck/";
const char kDumpPrefix[] = "/dumps/";
const uint64_t kMaxSiteFormBytes = 64u << 10;   // the support site's forms are small

std::string TrimSpaces(const char* sz) {
    std::string s = sz ? sz : "";
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

// The path without its query string.
std::string PathOf(const std::string& strTarget) { return strTarget.substr(0, strTarget.find('?')); }


uint64_t DeclaredLength(MHD_Connection* pConn, bool* pPresent) {
    const char* sz = MHD_lookup_connection_value(pConn, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
    *pPresent = sz != nullptr;
    if (!sz) return 0;
    uint64_t u = 0;
    for (const char* p = sz; *p; ++p) {
        if (*p < '0' || *p > '9' || u > (UINT64_MAX - 9) / 10) return UINT64_MAX;
        u = u * 10 + static_cast<uint64_t>(*p - '0');
    }
    return u;
}

}  // namespace

std::string CNcServerImpl::ClientAddress(MHD_Connection* pConn) const {
    const MHD_ConnectionInfo* pInfo = MHD_get_connection_info(pConn, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    uint32_t uPeer = 0;
    if (pInfo && pInfo->client_addr && pInfo->client_addr->sa_family == AF_INET) {
        sockaddr_in sin;
        std::memcpy(&sin, pInfo->client_addr, sizeof(sin));
        uPeer = ntohl(sin.sin_addr.s_addr);
    }
    const char* szRealIp = MHD_lookup_connection_value(pConn, MHD_HEADER_KIND, "X-Real-IP");
    const char* szForwarded = MHD_lookup_connection_value(pConn, MHD_HEADER_KIND, "X-Forwarded-For");
    return NcFormatIpv4(NcClientAddress(uPeer, szRealIp, szForwarded, m_config.vecTrustedProxies));
}

MHD_Result CNcServerImpl::Answer(MHD_Connection* pConn, NcRequestState* pState, int nStatus,
                                 const std::string& strBody, const char* szContentType) {
    MHD_Response* pResponse = MHD_create_response_from_buffer(strBody.size(), const_cast<char*>(strBody.data()),
                                                              MHD_RESPMEM_MUST_COPY);
    if (!pResponse) return MHD_NO;
    MHD_add_response_header(pResponse, MHD_HTTP_HEADER_CONTENT_TYPE, szContentType);
    MHD_add_response_header(pResponse, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    const MHD_Result result = QueueResponse(pConn, static_cast<unsigned int>(nStatus), pResponse);
    MHD_destroy_response(pResponse);
    if (result == MHD_YES) pState->nStatus = nStatus;
    return result;
}

MHD_Result CNcServerImpl::OnRequest(MHD_Connection* pConn, const char* szUrl, const char* szMethod,
                                    const char* pData, size_t* pSize, void** ppState) {
    NcRequestState* pState = static_cast<NcRequestState*>(*ppState);
    if (!pState) {
        pState = new NcRequestState;
        *ppState = pState;
        {
            std::lock_guard<std::mutex> guard(m_flightLock);
            ++m_nInFlight;
            ++m_uBegun;
        }
        pState->strMethod = szMethod ? szMethod : "";
        // The client's request line has two spaces before the version; the library leaves one on the target.
        pState->strTarget = TrimSpaces(szUrl);
        pState->strPeer = ClientAddress(pConn);
        return BeginRequest(pConn, pState);
    }

    if (*pSize > 0) {
        const size_t uSize = *pSize;
        *pSize = 0;
        if (pState->kind == NcRequestState::Kind::Report) {
            if (pState->strBody.size() + uSize > m_config.uMaxReportBytes) {
                // A chunked body past the limit: no answer can be queued while data comes in, so the
                // connection is dropped.
                pState->strLogExtra = " outcome=too_large";
                return MHD_NO;
            }
            pState->strBody.append(pData, uSize);
        } else if (pState->kind == NcRequestState::Kind::Site) {
            if (pState->strBody.size() + uSize > kMaxSiteFormBytes) {
                pState->strLogExtra = " outcome=too_large";
                return MHD_NO;
            }
            pState->strBody.append(pData, uSize);
        } else if (pState->kind == NcRequestState::Kind::Dump) {
            if (pState->dump.Written() + uSize > m_config.uMaxDumpBytes) {
                pState->strLogExtra = " outcome=too_large";
                pState->dump.Abort();
                return MHD_NO;
            }
            if (!pState->dump.Write(pData, uSize)) {
                pState->strLogExtra = " outcome=write_failed";
                pState->dump.Abort();
                return MHD_NO;
            }
        }
        return MHD_YES;
    }

    // The whole request is in.
    MarkRequestRead(pConn);
    if (pState->kind == NcRequestState::Kind::Report) return FinishReport(pConn, pState);
    if (pState->kind == NcRequestState::Kind::Dump) return FinishDump(pConn, pState);
    if (pState->kind == NcRequestState::Kind::Site) return FinishSite(pConn, pState);
    return MHD_YES;
}

MHD_Result CNcServerImpl::BeginRequest(MHD_Connection* pConn, NcRequestState* pState) {
    const std::string strPath = PathOf(pState->strTarget);
    const std::string& strMethod = pState->strMethod;
    bool bHasLength = false;
    const uint64_t uLength = DeclaredLength(pConn, &bHasLength);

    if (strPath == m_config.strPage) {
        if (strMethod != MHD_HTTP_METHOD_POST) return Answer(pConn, pState, 405, NcReplyBody(-1), kTextType);
        if (bHasLength && uLength > m_config.uMaxReportBytes) {
            pState->strLogExtra = " outcome=too_large";
            return Answer(pConn, pState, 413, NcReplyBody(-1), kTextType);
        }
        pState->kind = NcRequestState::Kind::Report;
        return MHD_YES;
    }
    if (strPath == "/support" || strPath.compare(0, 9, "/support/") == 0) {
        if (bHasLength && uLength > kMaxSiteFormBytes) return Answer(pConn, pState, 413, "too large\n", kTextType);
        pState->kind = NcRequestState::Kind::Site;
        return MHD_YES;
    }
    if (strPath.compare(0, sizeof(kDumpPrefix) - 1, kDumpPrefix) == 0) {
        if (strMethod != MHD_HTTP_METHOD_PUT) return Answer(pConn, pState, 405, "PUT only\n", kTextType);
        if (!NcNameFromTarget(pState->strTarget, kDumpPrefix, &pState->strDumpName)) {
            return Answer(pConn, pState, 400, "bad dump name\n", kTextType);
        }
        if (bHasLength && uLength > m_config.uMaxDumpBytes) {
            pState->strLogExtra = " outcome=too_large";
            return Answer(pConn, pState, 413, "dump too large\n", kTextType);
        }
        switch (pState->dump.Begin(m_config.strDumpDir, pState->strDumpName)) {
            case CNcDumpWriter::Result::Ok: break;
            case CNcDumpWriter::Result::Exists: return Answer(pConn, pState, 409, "dump exists\n", kTextType);
            case CNcDumpWriter::Result::Failed:
                pState->strLogExtra = " outcome=cannot_create";
                return Answer(pConn, pState, 500, "cannot store the dump\n", kTextType);
        }
        pState->kind = NcRequestState::Kind::Dump;
        // A dump may be large and the link slow: past its headers only the idle time-out applies.
        MarkRequestRead(pConn);
        return MHD_YES;
    }

    // Everything else is read-only and has no body worth reading.
    MarkRequestRead(pConn);
    const bool bGet = strMethod == MHD_HTTP_METHOD_GET || strMethod == MHD_HTTP_METHOD_HEAD;
    if (strPath == "/ip2city.asp") {
        if (!bGet) return Answer(pConn, pState, 405, "GET only\n", kTextType);
        return Answer(pConn, pState, 200, "您的IP是：[" + pState->strPeer + "]\n", kTextType);
    }
    if (strPath == "/healthz") {
        if (!bGet) return Answer(pConn, pState, 405, "GET only\n", kTextType);
        const bool bUp = m_store.Ping();
        return Answer(pConn, pState, bUp ? 200 : 503, bUp ? "ok\n" : "store unavailable\n", kTextType);
    }
    if (strPath.compare(0, sizeof(kCataloguePrefix) - 1, kCataloguePrefix) == 0) {
        if (!bGet) return Answer(pConn, pState, 405, "GET only\n", kTextType);
        return ServeCatalogue(pConn, pState);
    }
    return Answer(pConn, pState, 404, "not found\n", kTextType);
}

MHD_Result CNcServerImpl::ServeCatalogue(MHD_Connection* pConn, NcRequestState* pState) {
    std::string strName;
    if (!NcNameFromTarget(pState->strTarget, kCataloguePrefix, &strName)) {
        return Answer(pConn, pState, 404, "not found\n", kTextType);
    }
    uint64_t uSize = 0;
    const int nFd = NcOpenCatalogue(m_config.strCatalogueDir, strName, &uSize);
    if (nFd < 0) return Answer(pConn, pState, 404, "not found\n", kTextType);
    MHD_Response* pResponse = MHD_create_response_from_fd(static_cast<size_t>(uSize), nFd);  // owns nFd now
    if (!pResponse) {
        close(nFd);
        return MHD_NO;
    }
    MHD_add_response_header(pResponse, MHD_HTTP_HEADER_CONTENT_TYPE, "application/octet-stream");
    const MHD_Result result = QueueResponse(pConn, MHD_HTTP_OK, pResponse);
    MHD_destroy_response(pResponse);
    if (result == MHD_YES) pState->nStatus = MHD_HTTP_OK;
    return result;
}

MHD_Result CNcServerImpl::FinishReport(MHD_Connection* pConn, NcRequestState* pState) {
    const NcReportReply reply = NcHandleReport(pState->strBody, pState->strPeer, NowSec(), m_config, m_store);
    pState->strLogExtra = " ret=" + std::to_string(reply.nRet) + " outcome=" + reply.szOutcome;
    pState->strBody.clear();
    return Answer(pConn, pState, reply.nStatus, NcReplyBody(reply.nRet), kTextType);
}

MHD_Result CNcServerImpl::FinishSite(MHD_Connection* pConn, NcRequestState* pState) {
    NcSiteRequest request;
    request.strMethod = pState->strMethod;
    request.strPath = PathOf(pState->strTarget);
    // libmicrohttpd hands the query over split at "&" and "=" (escapes kept, see KeepEscapes); joined
    // again it is the query as sent.
    MHD_get_connection_values(
        pConn, MHD_GET_ARGUMENT_KIND,
        [](void* pCls, MHD_ValueKind, const char* szKey, const char* szValue) -> MHD_Result {
            std::string& strQuery = *static_cast<std::string*>(pCls);
            if (!strQuery.empty()) strQuery += '&';
            strQuery += std::string(szKey ? szKey : "") + "=" + (szValue ? szValue : "");
            return MHD_YES;
        },
        &request.strQuery);
    request.strBody.swap(pState->strBody);
    const char* szCookie = MHD_lookup_connection_value(pConn, MHD_HEADER_KIND, MHD_HTTP_HEADER_COOKIE);
    request.strCookie = szCookie ? szCookie : "";
    request.strPeer = pState->strPeer;
    // Behind nginx with TLS the proxy says so; only a trusted proxy is believed.
    const char* szProto = MHD_lookup_connection_value(pConn, MHD_HEADER_KIND, "X-Forwarded-Proto");
    request.bSecure = szProto && std::strcmp(szProto, "https") == 0 && PeerIsTrustedProxy(pConn);

    const NcSiteResponse site = m_site.Handle(request);
    MHD_Response* pResponse = nullptr;
    if (!site.strFilePath.empty()) {
        const int nFd = open(site.strFilePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        struct stat st;
        if (nFd < 0 || fstat(nFd, &st) != 0) {
            if (nFd >= 0) close(nFd);
            return Answer(pConn, pState, 404, "not found\n", kTextType);
        }
        pResponse = MHD_create_response_from_fd(static_cast<size_t>(st.st_size), nFd);   // owns nFd now
        if (!pResponse) close(nFd);
    } else {
        pResponse = MHD_create_response_from_buffer(site.strBody.size(), const_cast<char*>(site.strBody.data()),
                                                    MHD_RESPMEM_MUST_COPY);
    }
    if (!pResponse) return MHD_NO;
    MHD_add_response_header(pResponse, MHD_HTTP_HEADER_CONTENT_TYPE, site.strContentType.c_str());
    MHD_add_response_header(pResponse, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    MHD_add_response_header(pResponse, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(pResponse, "X-Frame-Options", "DENY");
    MHD_add_response_header(pResponse, "Content-Security-Policy",
                            "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; "
                            "frame-ancestors 'none'");
    for (const auto& header : site.vecHeaders) {
        MHD_add_response_header(pResponse, header.first.c_str(), header.second.c_str());
    }
    const MHD_Result result = QueueResponse(pConn, static_cast<unsigned int>(site.nStatus), pResponse);
    MHD_destroy_response(pResponse);
    if (result == MHD_YES) pState->nStatus = site.nStatus;
    return result;
}

bool CNcServerImpl::PeerIsTrustedProxy(MHD_Connection* pConn) const {
    const MHD_ConnectionInfo* pInfo = MHD_get_connection_info(pConn, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!pInfo || !pInfo->client_addr || pInfo->client_addr->sa_family != AF_INET) return false;
    sockaddr_in sin;
    std::memcpy(&sin, pInfo->client_addr, sizeof(sin));
    const uint32_t uPeer = ntohl(sin.sin_addr.s_addr);
    for (const uint32_t uTrusted : m_config.vecTrustedProxies) {
        if (uTrusted == uPeer) return true;
    }
    return false;
}

MHD_Result CNcServerImpl::FinishDump(MHD_Connection* pConn, NcRequestState* pState) {
    const uint64_t uSize = pState->dump.Written();
    switch (pState->dump.Commit()) {
        case CNcDumpWriter::Result::Ok:
            pState->strLogExtra = " bytes=" + std::to_string(uSize) + " outcome=stored";
            return Answer(pConn, pState, 201, "stored\n", kTextType);
        case CNcDumpWriter::Result::Exists:
            return Answer(pConn, pState, 409, "dump exists\n", kTextType);
        case CNcDumpWriter::Result::Failed:
            break;
    }
    pState->strLogExtra = " outcome=write_failed";
    return Answer(pConn, pState, 500, "cannot store the dump\n", kTextType);
}

void CNcServerImpl::OnCompleted(MHD_Connection* pConn, NcRequestState* pState, MHD_RequestTerminationCode toe) {
    if (!pState) return;
    const double dMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - pState->tStart).count();
    char szMs[32];
    std::snprintf(szMs, sizeof(szMs), "%.1f", dMs);
    std::string strLine = "method=" + NcLogValue(pState->strMethod) + " path=" + NcLogValue(PathOf(pState->strTarget)) +
                          " status=" + std::to_string(pState->nStatus) + " ms=" + szMs + " peer=" + pState->strPeer +
                          pState->strLogExtra;
    if (toe != MHD_REQUEST_TERMINATED_COMPLETED_OK) strLine += " end=aborted";
    Log(strLine);
    delete pState;  // a dump that did not finish removes its temporary file here
    const bool bFirstAnswer = RestartReadClock(pConn);
    {
        std::lock_guard<std::mutex> guard(m_flightLock);
        --m_nInFlight;
        if (bFirstAnswer) --m_nUnanswered;
    }
    m_flightDone.notify_all();
}
