// The look the program ships with, read from the staged tree the way the program reads it: the windows
// find the children they look up, every picture comes out of interface.wdf, and every control that shows
// text has its font row and room for the texts the program puts into it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkLayoutTemplate.h"
#include "KX_GUI/ArkRichWnd.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/fileandpath/KXKernal_FilePack.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXFont.h"
#include "KX_Renderer/KXRenderer.h"
#include "common/NcTest_Paths.h"
#include "common/NcTest_TempDir.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

namespace {

namespace fs = std::filesystem;
using ArkGui::CArkWnd;

constexpr int kWidth = 640;
constexpr int kHeight = 520;
const char* const kWindows[] = {"NetChkMainWnd", "UploadReportWnd", "test6", "ItemPopoWnd"};

// A staged data tree with the loose interface/ folder left out: pictures and layouts can only come
// from interface.wdf.
class ShippedLook : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path stage = fs::path(NcTestToolsDir()) / ".." / "stage" / "data";
        ASSERT_TRUE(fs::exists(stage / "interface.wdf")) << "build the stage_interface target first";
        for (const char* szFile : {"interface.wdf", "config", "resource"}) fs::create_directory_symlink(stage / szFile, szFile);
        fs::create_directory("log");
        CKXKernal_File_Pack::ForgetOpenPacksForTests();
        SetReadPackFirst(true);

        m_pRenderer = KXRenderer::CreateSoftwareRenderer(kWidth, kHeight);
        ASSERT_NE(m_pRenderer, nullptr);
        m_host.Create("look", kWidth, kHeight);
        ASSERT_EQ(m_root.CreateRoot(kWidth, kHeight, &m_host, m_pRenderer.get()), 0);
        ASSERT_TRUE(Manager().InitFontTable());
        ASSERT_TRUE(m_res.LoadTables());
        ASSERT_TRUE(Manager().LoadLayout("interface/netchkroot.auf"));
    }

    void TearDown() override { CKXKernal_File_Pack::ForgetOpenPacksForTests(); }

    ArkGui::CArkGUIManager& Manager() { return *m_root.GetManager(); }

    // The window as the program makes it: from its template, then its control fonts.
    CArkWnd* Create(const char* szName) {
        auto* pWnd = new CArkWnd();
        pWnd->SetDeleteWithParent(true);
        if (pWnd->CreateFromTemplate(szName, &m_root) != 0) {
            delete pWnd;
            return nullptr;
        }
        m_res.ApplyControlFonts(pWnd, true);
        return pWnd;
    }

    std::string Text(const char* szKey) const { return m_res.GetNetChkString(szKey); }

    ScopedTempDir m_dir{true};
    std::unique_ptr<KXRenderer::IKXRenderer> m_pRenderer;
    KXPlatform::CKXPlatform_NullHostWindow m_host;
    ArkGui::CArkRootWnd m_root;
    CNetChk_UtilResMgr m_res;
};

TEST_F(ShippedLook, WindowsFindTheChildrenTheyLookUp) {
    struct Need {
        const char* szWindow;
        const char* szChild;
        const char* szClass;
    };
    // The children each net-check window looks up by name; a missing one silently loses its feature.
    const Need needs[] = {
        {"NetChkMainWnd", "CheckingProgress", "CArkProgress"}, {"NetChkMainWnd", "PrgsInfoWnd", "CArkWnd"},
        {"NetChkMainWnd", "StopchkBtn", "CArkButton"},         {"NetChkMainWnd", "RechkBtn", "CArkButton"},
        {"NetChkMainWnd", "UploadRptBtn", "CArkButton"},       {"NetChkMainWnd", "CloseBtn", "CArkButton"},
        {"NetChkMainWnd", "ResultContWnd", "CArkRichWnd"},     {"NetChkMainWnd", "LagContWnd", "CArkRichWnd"},
        {"NetChkMainWnd", "LossContWnd", "CArkRichWnd"},       {"NetChkMainWnd", "ChkingInfoWnd", "CArkWnd"},
        {"NetChkMainWnd", "CheckResultWnd", "CArkWnd"},        {"NetChkMainWnd", "RepairSuggestWnd", "CArkRichWnd"},
        {"UploadReportWnd", "GroupServerWnd", "CArkWnd"},      {"UploadReportWnd", "NameEditWnd", "CArkEdit"},
        {"UploadReportWnd", "DescripEditWnd", "CArkEdit"},     {"UploadReportWnd", "CommitdBtn", "CArkButton"},
        {"UploadReportWnd", "CommittingWnd", "CArkWnd"},       {"UploadReportWnd", "SheildWnd", "CArkWnd"},
        {"UploadReportWnd", "CloseBtn", "CArkButton"},         {"test6", "test_rh2", "CArkRichWnd"},
        {"test6", "SheildWnd", "CArkWnd"},                     {"test6", "testbt", "CArkButton"},
        {"test6", "testbt2", "CArkButton"},                    {"test6", "testbt3", "CArkButton"},
        {"ItemPopoWnd", "Item_RichWnd", "CArkRichWnd"},
    };
    std::map<std::string, CArkWnd*> windows;
    for (const char* szName : kWindows) {
        windows[szName] = Create(szName);
        ASSERT_NE(windows[szName], nullptr) << szName;
        EXPECT_LE(windows[szName]->GetRect().nRight, kWidth) << szName;
        EXPECT_LE(windows[szName]->GetRect().nBottom, kHeight) << szName;
    }
    for (const Need& need : needs) {
        CArkWnd* pChild = windows[need.szWindow]->FindChild(need.szChild);
        ASSERT_NE(pChild, nullptr) << need.szWindow << "/" << need.szChild;
        EXPECT_STREQ(pChild->GetClassName(), need.szClass) << need.szWindow << "/" << need.szChild;
    }
    // A dialog's shield is its backmost child, or it would darken the dialog itself; it covers the
    // whole window below.
    for (const char* szDialog : {"UploadReportWnd", "test6"}) {
        CArkWnd* pShield = windows[szDialog]->FindChild("SheildWnd");
        EXPECT_EQ(windows[szDialog]->GetLastChild(), pShield) << szDialog;
    }
    // The program adds 0x20000FF0 to the style value of these rich windows; bits of their own in that
    // range would carry into other bits.
    for (const auto& [szWindow, szRich] : {std::pair{"test6", "test_rh2"}, std::pair{"ItemPopoWnd", "Item_RichWnd"}}) {
        EXPECT_EQ(windows[szWindow]->FindChild(szRich)->GetStyle() & 0x20000FF0u, 0u) << szRich;
    }
}

// "a/b/x.png;y.png": a piece without a folder takes the first piece's folder.
std::vector<std::string> SplitPieces(const std::string& strPieces) {
    std::vector<std::string> vec;
    std::string strFolder;
    size_t nStart = 0;
    while (nStart <= strPieces.size()) {
        size_t nEnd = strPieces.find(';', nStart);
        std::string strPiece = strPieces.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        if (vec.empty() && strPiece.rfind('/') != std::string::npos) strFolder = strPiece.substr(0, strPiece.rfind('/') + 1);
        if (!vec.empty() && strPiece.find('/') == std::string::npos) strPiece = strFolder + strPiece;
        vec.push_back(strPiece);
        if (nEnd == std::string::npos) break;
        nStart = nEnd + 1;
    }
    return vec;
}

// A picture that covers a whole window, with the window's size.
struct Cover {
    std::string strImage;
    std::string strWindow;
    int nWidth;
    int nHeight;
};

void CollectImages(const ArkGui::CArkLayoutTemplate& tmpl, std::set<std::string>& setNames, std::vector<Cover>& vecCovers) {
    using namespace ArkGui;
    for (ArkLayoutString e : {ARK_LS_IMAGE0, ARK_LS_IMAGE1, ARK_LS_IMAGE2, ARK_LS_S16}) {
        if (*tmpl.GetString(e)) setNames.insert(tmpl.GetString(e));
    }
    const ArkLayoutBody& body = tmpl.Body();
    for (ArkLayoutString e : {ARK_LS_IMAGE1, ARK_LS_IMAGE2}) {
        if (*tmpl.GetString(e)) vecCovers.push_back({tmpl.GetString(e), tmpl.GetName(), body.nWidth, body.nHeight});
    }
    if (tmpl.HasDecorate()) {
        for (const std::string& str : SplitPieces(tmpl.GetString(ARK_LS_DECORATE_PIECES))) setNames.insert(str);
    }
    for (const ArkLayoutEntry& entry : tmpl.Entries()) {
        for (const ArkLayoutLayer& layer : entry.vecLayers) {
            for (const ArkLayoutQuad& q : layer.vecQuads) {
                if (!*tmpl.StringAt(q.uImage)) continue;
                setNames.insert(tmpl.StringAt(q.uImage));
                // A state picture stretched over the whole window.
                if (!entry.bHasRect && q.nLast == 1 && q.nX == 0 && q.nY == 0) {
                    vecCovers.push_back({tmpl.StringAt(q.uImage), tmpl.GetName(), body.nWidth, body.nHeight});
                }
            }
        }
    }
    for (const auto& pChild : tmpl.Children()) CollectImages(*pChild, setNames, vecCovers);
}

TEST_F(ShippedLook, EveryPictureComesFromTheArchive) {
    std::set<std::string> setNames;
    std::vector<Cover> vecCovers;
    for (const char* szName : kWindows) {
        const ArkGui::CArkLayoutTemplate* pTemplate = Manager().FindTemplate(szName);
        ASSERT_NE(pTemplate, nullptr) << szName;
        CollectImages(*pTemplate, setNames, vecCovers);
    }
    EXPECT_GT(setNames.size(), 10u);
    for (const std::string& strName : setNames) EXPECT_NE(m_pRenderer->LoadTexture(strName.c_str()), nullptr) << strName;
    // Backgrounds and button states are drawn at their window's size: a picture of another size is
    // stretched and comes out blurred.
    EXPECT_GT(vecCovers.size(), 10u);
    for (const Cover& cover : vecCovers) {
        auto pTexture = m_pRenderer->LoadTexture(cover.strImage.c_str());
        if (!pTexture) continue;
        EXPECT_EQ(pTexture->GetWidth(), cover.nWidth) << cover.strWindow << ": " << cover.strImage;
        EXPECT_EQ(pTexture->GetHeight(), cover.nHeight) << cover.strWindow << ": " << cover.strImage;
    }

    // The two frames: nine pieces each, cut so that the pieces of a row share a height and the pieces
    // of a column a width, or the frame shows steps at its seams.
    for (const char* szPrefix : {"PIC_STR_MsgBox_", "PIC_STR_TIP_"}) {
        std::vector<std::shared_ptr<KXRenderer::CKXTexture>> vecPieces;
        for (const char* szPiece : {"LT", "T", "RT", "L", "M", "R", "LB", "B", "RB"}) {
            const std::string strImage = Text((std::string(szPrefix) + szPiece).c_str());
            vecPieces.push_back(m_pRenderer->LoadTexture(strImage.c_str()));
            ASSERT_NE(vecPieces.back(), nullptr) << szPrefix << szPiece << " = \"" << strImage << "\"";
        }
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(vecPieces[3 * i]->GetHeight(), vecPieces[3 * i + 1]->GetHeight()) << szPrefix << " row " << i;
            EXPECT_EQ(vecPieces[3 * i]->GetHeight(), vecPieces[3 * i + 2]->GetHeight()) << szPrefix << " row " << i;
            EXPECT_EQ(vecPieces[i]->GetWidth(), vecPieces[i + 3]->GetWidth()) << szPrefix << " column " << i;
            EXPECT_EQ(vecPieces[i]->GetWidth(), vecPieces[i + 6]->GetWidth()) << szPrefix << " column " << i;
        }
    }

    // The shield dims what lies under it without hiding it.
    auto pShield = m_pRenderer->LoadTexture(Text("PIC_STR_TIP_SHEILD").c_str());
    ASSERT_NE(pShield, nullptr);
    const uint32_t uAlpha = pShield->GetPixel(0, 0) >> 24;
    EXPECT_GT(uAlpha, 60u);
    EXPECT_LT(uAlpha, 230u);
    EXPECT_NE(m_pRenderer->LoadTexture(Text("PIC_STR_MOUSE_EDIT").c_str()), nullptr);
}

TEST_F(ShippedLook, TextsHaveTheirFontRowsAndRoomInTheirWindows) {
    // Single-line windows the program writes into, with every text it can put there.
    const std::string strDots = "......";
    std::map<std::string, std::vector<std::string>> mapProgramTexts = {
        {"PrgsInfoWnd", {Text("Ntc_Chk_Ing0") + strDots, Text("Ntc_Chk_Finish"), Text("Ntc_Chk_Stop")}},
        {"ChkingInfoWnd",
         {Text("Ntc_Chk_Stop_PrgsInfo"), Text("Ntc_Chk_Finish_PrgsInfo"), Text("Ntc_Chk_Excption_OpenTargetFileFailed")}},
        {"CheckResultWnd", {}},
        {"CommittingWnd", {Text("Ntc_Uploade_Uploading") + "..."}},
        {"GroupServerWnd", {"电信一区-晨曦之城"}},
    };
    // The step line also shows each command's description from the shipped catalogue.
    const std::string strCatalogue = ReadTestFile(NcTestSourceDir() + "/data_exe/net_check.xml");
    const std::regex tips("tips=\"([^\"]*)\"");
    size_t uSteps = 0;
    for (std::sregex_iterator it(strCatalogue.begin(), strCatalogue.end(), tips), end; it != end; ++it, ++uSteps) {
        mapProgramTexts["ChkingInfoWnd"].push_back(KXPlatform::Utf8ToGbk((*it)[1].str()));
    }
    EXPECT_GT(uSteps, 3u);
    for (int n = 0; n <= 3; ++n) mapProgramTexts["CheckResultWnd"].push_back(Text(("Ntc_Chk_CheckResult" + std::to_string(n)).c_str()));
    // Rich windows and the texts they show, which must fit without scrolling.
    std::vector<std::string> vecGrades = {Text("Ntc_NQ_Checking"),    Text("Ntc_NQ_Good"),       Text("Ntc_NQ_Common"),
                                          Text("Ntc_NQ_Bad"),         Text("Ntc_LagLoss_Good"),  Text("Ntc_LagLoss_Common"),
                                          Text("Ntc_LagLoss_Bad"),    Text("Ntc_LagLoss_Overflow"), Text("Ntc_Chk_Stop_PrgsInfo")};
    std::map<std::string, std::vector<std::string>> mapRichTexts = {
        {"ResultContWnd", vecGrades}, {"LagContWnd", vecGrades}, {"LossContWnd", vecGrades}, {"RepairSuggestWnd", {}}};
    for (int n = 0; n <= 3; ++n) mapRichTexts["RepairSuggestWnd"].push_back(Text(("Ntc_Chk_RepairSuggest" + std::to_string(n)).c_str()));

    std::set<std::string> setWithRow;
    for (const char* szName : kWindows) {
        CArkWnd* pWnd = Create(szName);
        ASSERT_NE(pWnd, nullptr) << szName;
        // Every row names a control that exists: a renamed control would quietly keep the template's look.
        for (const NetChkCtrlFont& row : m_res.GetCtrlFonts()) {
            if (row.strWndName != pWnd->GetName()) continue;
            EXPECT_NE(pWnd->FindChild(row.strCtrlName.c_str()), nullptr) << szName << "/" << row.strCtrlName;
            setWithRow.insert(row.strWndName + "/" + row.strCtrlName);
        }
        for (CArkWnd* pChild = pWnd->GetFirstChild(); pChild; pChild = pChild->GetNextSibling()) {
            const std::string strPath = std::string(szName) + "/" + pChild->GetName();
            const bool bRich = mapRichTexts.count(pChild->GetName()) || std::string(pChild->GetClassName()) == "CArkRichWnd";
            const bool bShowsText = !pChild->GetText().empty() || mapProgramTexts.count(pChild->GetName()) || bRich ||
                                    std::string(pChild->GetClassName()) == "CArkEdit";
            if (!bShowsText) continue;
            EXPECT_TRUE(setWithRow.count(strPath)) << strPath << " shows text but has no font row";
            KXRenderer::CKXFont* pFont = pChild->GetFont();
            ASSERT_NE(pFont, nullptr) << strPath;
            EXPECT_LE(pFont->GetLineHeight(), pChild->GetHeight()) << strPath;

            std::vector<std::string> vecTexts;
            if (!pChild->GetText().empty() && !bRich) vecTexts.push_back(pChild->GetText());
            if (mapProgramTexts.count(pChild->GetName())) {
                for (const std::string& str : mapProgramTexts[pChild->GetName()]) vecTexts.push_back(str);
            }
            // Captions start 2 pixels in; button captions are centred and keep a margin each side.
            const int nRoom = pChild->GetWidth() - (std::string(pChild->GetClassName()) == "CArkButton" ? 16 : 2);
            for (const std::string& str : vecTexts) {
                EXPECT_FALSE(str.empty()) << strPath;
                EXPECT_LE(pChild->MeasureText(str.c_str()), nRoom) << strPath << ": " << KXPlatform::GbkToUtf8(str);
            }
            if (auto* pRich = dynamic_cast<ArkGui::CArkRichWnd*>(pChild); pRich && mapRichTexts.count(pChild->GetName())) {
                for (const std::string& str : mapRichTexts[pChild->GetName()]) {
                    pRich->SetText(str.c_str());
                    EXPECT_LE(pRich->GetRichText().GetContentHeight(), pRich->GetHeight())
                        << strPath << ": " << KXPlatform::GbkToUtf8(str);
                }
            }
        }
    }
}

}  // namespace
