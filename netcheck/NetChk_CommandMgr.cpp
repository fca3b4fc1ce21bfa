// CNetChk_CommandMgr: construction, wiring to the window and the shell, the catalogue forwarding and the
// fatal path shared by the runner and the run controller.
#include "netcheck/NetChk_CommandMgr.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_MessageBox.h"
#include "netcheck/run/NetChk_CheckView.h"
#include "netcheck/run/NetChk_RunHost.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

namespace {
const char kFatalText[] = "出现致命错误，请将联系客服！";
const char kCaption[] = "Velmora网络检测器";
}  // namespace

CNetChk_CommandMgr::CNetChk_CommandMgr() = default;

CNetChk_CommandMgr::~CNetChk_CommandMgr() {
    for (int32_t i = 0; i < kSlotCount; ++i) m_Slots[i].child.ClosePipe();
}

void CNetChk_CommandMgr::Attach(INetChk_CheckView* pView, INetChk_RunHost* pHost, const CNetChk_UtilResMgr* pResMgr) {
    m_pView = pView;
    m_pHost = pHost;
    m_pResMgr = pResMgr;
}

bool CNetChk_CommandMgr::initCommandMgr() { return m_Catalogue.initCommandMgr(); }

bool CNetChk_CommandMgr::HasCommandGroups() const { return GroupCount() > 0; }

const std::vector<NetChkCommand>& CNetChk_CommandMgr::OrderedCommands() const { return m_Catalogue.m_vecCommands; }

const std::vector<NetChkCommand>* CNetChk_CommandMgr::FindGroup(int32_t nType) const {
    auto it = m_Catalogue.m_mapGroupedCommands.find(nType);
    return it == m_Catalogue.m_mapGroupedCommands.end() ? nullptr : &it->second;
}

const std::string& CNetChk_CommandMgr::TargetFile() const { return m_Catalogue.m_strTargetFile; }

uint32_t CNetChk_CommandMgr::GroupCount() const {
    return static_cast<uint32_t>(m_Catalogue.m_mapGroupedCommands.size());
}

uint32_t CNetChk_CommandMgr::GetTotalSteps() const {
    uint32_t uOrdered = static_cast<uint32_t>(OrderedCommands().size());
    return m_bGrouped ? uOrdered + GroupCount() : uOrdered;
}

void CNetChk_CommandMgr::Reset() {
    m_Catalogue.m_vecCommands.clear();
    m_Catalogue.m_mapGroupedCommands.clear();
    for (int32_t i = 0; i < kSlotCount; ++i) ClosePipe(i);
    if (!TargetFile().empty()) DeleteLocalFile(TargetFile());
}

std::string CNetChk_CommandMgr::GetExeDir() const {
    std::string strDir = m_Catalogue.GetExeDir();
    while (strDir.size() > 1 && strDir.back() == '/') strDir.pop_back();
    return strDir;
}

std::string CNetChk_CommandMgr::GetString(const char* szKey) const {
    return m_pResMgr ? m_pResMgr->GetNetChkString(szKey) : std::string();
}

void CNetChk_CommandMgr::SetAppState(int32_t nState) {
    if (m_pHost) m_pHost->SetAppState(nState);
}

bool CNetChk_CommandMgr::FatalError() {
    KXPlatform::ShowMessageBox(kFatalText, kCaption, KXPlatform::MsgBoxButtons::Ok, false, KXPlatform::MsgBoxIcon::Error);
    if (m_pHost) m_pHost->RequestQuit();
    SetAppState(INetChk_RunHost::kAppIdle);
    return false;
}
