// CNetChk_CommandMgr: the check engine. It holds the catalogue (CNetChk_Catalogue, forwarded to), the two
// command slots that run commands as hidden children, the output readers, the verdict and the run state
// machine. Each job lives in its own source file: runner/, readers/, verdict/ and run/.
#pragma once

#include "netcheck/catalogue/NetChk_Catalogue.h"
#include "netcheck/runner/NetChk_CommandSlot.h"

#include <cstdint>
#include <string>
#include <vector>

class CNetChk_UtilResMgr;
class INetChk_CheckView;
class INetChk_RunHost;

class CNetChk_CommandMgr {
public:
    static constexpr int32_t kSlotCount = 2;
    // Byte counts of the one pipe read of the ping parser and of the plain copier.
    static constexpr uint32_t kPingReadSize = 8192;
    static constexpr uint32_t kCopyReadSize = 4096;

    CNetChk_CommandMgr();
    ~CNetChk_CommandMgr();
    CNetChk_CommandMgr(const CNetChk_CommandMgr&) = delete;
    CNetChk_CommandMgr& operator=(const CNetChk_CommandMgr&) = delete;

    // The main window (or the console), the shell and the string table the run talks to. None is owned;
    // a null pointer stands for "nobody listens" (and "" for every text).
    void Attach(INetChk_CheckView* pView, INetChk_RunHost* pHost, const CNetChk_UtilResMgr* pResMgr);

    // ---- Catalogue (forwarded to CNetChk_Catalogue) ----
    bool initCommandMgr();
    CNetChk_Catalogue& GetCatalogue() { return m_Catalogue; }
    const CNetChk_Catalogue& GetCatalogue() const { return m_Catalogue; }
    // True when the catalogue has at least one command group: runs are then grouped.
    bool HasCommandGroups() const;
    // Empties the catalogue, closes both pipes and deletes the output file (the shutdown reset).
    void Reset();

    // ---- Command runner (runner/) ----
    void InitPipe(int32_t nSlot);
    void ClosePipe(int32_t nSlot);
    bool RunCommand(int32_t nSlot, const std::string& strLine, int32_t nType);
    bool IsSlotDone(int32_t nSlot);
    // One read of what the slot's child wrote, at most uMaxBytes; false when the slot has no pipe.
    bool ReadSlotOutput(int32_t nSlot, uint32_t uMaxBytes, std::string& strOut);
    // Forgets the slot's ended child; the pipe stays until the next InitPipe, StopCheck or Reset.
    void ReleaseSlotProcess(int32_t nSlot);
    // Deletes a file of the current directory when it exists; a missing file is no error.
    void DeleteLocalFile(const std::string& strName);
    // The batch file name of a slot: "QVRTNchk0.sh", "QVRTNchk1.sh".
    static std::string GetBatchFileName(int32_t nSlot);

    // Figures of a slot: lag in ms (-1 unknown), loss in percent (100 unknown).
    int32_t GetSlotLag(int32_t nSlot) const;
    int32_t GetSlotLoss(int32_t nSlot) const;
    void SetSlotFigures(int32_t nSlot, int32_t nLag, int32_t nLoss);

    // ---- Output readers (readers/) ----
    bool ParsePingOutput(int32_t nStep, int32_t nSlot);
    bool CopyCommandOutput(int32_t nStep, int32_t nSlot);
    bool ReadTargetFile(int32_t nStep);

    // ---- Verdict (verdict/) ----
    // Grades the slot's figures into nGrade (0 good, 1 common, 2 bad). With bDisplay it also fills the
    // three result readings and puts the summary in front of the report text.
    void JudgeNetQuality(bool bDisplay, int32_t& nGrade, int32_t nSlot, int32_t nResultCode);

    // ---- Run controller (run/) ----
    void StartStep(uint32_t uStep, bool bGrouped);
    void StartGroupedStep(uint32_t uStep);
    void UpdateRun();
    void StopCheck();
    // False when the file could not be written; GetResultFileError then holds the system's error code.
    bool SaveResultFile();
    // Where the result file of the catalogue's server goes (in the system's encoding, for messages).
    std::string GetResultFilePath() const;
    // The error code of the last SaveResultFile; 0 when it succeeded.
    int32_t GetResultFileError() const { return m_nResultFileError; }
    std::string GetGraphicsCardName() const;
    // The executable's directory (the catalogue's, so that the descriptor, the local copy and the result
    // folder "checklist" lie together); set by tools and tests that run elsewhere.
    void SetExeDir(const std::string& strDir) { m_Catalogue.SetExeDir(strDir); }
    // Without a trailing "/".
    std::string GetExeDir() const;

    // Run state, for the shell and for tests.
    uint32_t GetCurStep() const { return m_nCurStep; }
    void SetCurStep(uint32_t uStep) { m_nCurStep = uStep; }
    bool IsGrouped() const { return m_bGrouped; }
    void SetGrouped(bool bGrouped) { m_bGrouped = bGrouped; }
    int32_t GetRunning() const { return m_nRunning; }
    bool GetRunGroup5() const { return m_bRunGroup5; }
    void SetRunGroup5(bool bRun) { m_bRunGroup5 = bRun; }
    int32_t GetResultCode() const { return m_nResultCode; }
    void SetResultCode(int32_t nCode) { m_nResultCode = nCode; }
    // The total number of steps of a run in the current mode.
    uint32_t GetTotalSteps() const;

private:
    // The catalogue as the run reads it.
    const std::vector<NetChkCommand>& OrderedCommands() const;
    // The command group of a type (4 or 5); null when the catalogue has no such group.
    const std::vector<NetChkCommand>* FindGroup(int32_t nType) const;
    const std::string& TargetFile() const;
    uint32_t GroupCount() const;

    // The fatal path of the runner and the controller: message box, quit request, idle state.
    bool FatalError();
    void SetAppState(int32_t nState);
    std::string GetString(const char* szKey) const;
    // Labels, progress and status line of a failed output read; always false.
    bool ReadFailed(int32_t nStep);
    // The command a finished slot ran, or null after the fatal path.
    const NetChkCommand* FindFinishedCommand(uint32_t uStep, int32_t nSlot);
    // Hands a finished command's output to its reader; false when a failed ping read stopped the run.
    bool HandleOutput(const NetChkCommand& cmd, uint32_t uStep, int32_t nSlot, bool bStepComplete,
                      bool& bGroup5Done);
    // RunCommand for a catalogue entry; an entry whose address was refused takes the fatal path unrun.
    bool RunCatalogueCommand(int32_t nSlot, const NetChkCommand& cmd, int32_t nType);
    bool StartGroupCommands(const std::vector<NetChkCommand>& group, uint32_t uStep, int32_t nType);
    void PrepareFirstStep();
    void FinishRun(uint32_t uStep);

    CNetChk_Catalogue m_Catalogue;
    NetChk_CommandSlot m_Slots[kSlotCount];

    INetChk_CheckView* m_pView = nullptr;
    INetChk_RunHost* m_pHost = nullptr;
    const CNetChk_UtilResMgr* m_pResMgr = nullptr;

    uint32_t m_nCurStep = 0;
    bool m_bGrouped = false;
    int32_t m_nRunning = 0;
    int32_t m_nFinished = 0;
    bool m_bRunGroup5 = false;
    int32_t m_nChosenLag = -1;
    int32_t m_nChosenLoss = 100;
    int32_t m_nChosenSlot = -1;
    int32_t m_nResultCode = 0;
    int32_t m_nResultFileError = 0;
};
