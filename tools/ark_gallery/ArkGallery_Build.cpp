// Building the gallery: every control, placed from the layout table, with generated images.
#include "ArkGallery_Build.h"

#include "ArkGallery_Layout.h"
#include "ArkGallery_Textures.h"
#include "KX_GUI/ArkDecorateWnd.h"
#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRichWnd.h"

using namespace ArkGui;

namespace ArkGallery {

namespace {

const ControlRect& Rect(const char* szName) {
    for (const ControlRect& r : kControls) {
        if (std::string(r.szName) == szName) return r;
    }
    return kControls[0];
}

// Creates a control from the layout table, owned by its parent.
template <class T>
T* Place(CArkWnd* pParent, const char* szName, const char* szCaption, uint32_t uStyle = 0, intptr_t nUser = 0,
         const char* szFace = "黑体", int nSize = 14) {
    const ControlRect& r = Rect(szName);
    auto* p = new T();
    p->SetDeleteWithParent(true);
    if (p->Create(szCaption, uStyle, r.nX - pParent->GetX(), r.nY - pParent->GetY(), r.nW, r.nH, pParent, szFace, nSize,
                  nUser) != 0) {
        delete p;
        return nullptr;
    }
    p->SetName(szName);
    return p;
}

void Fill(CArkWnd* p, uint32_t uState, std::shared_ptr<KXRenderer::CKXTexture> pTexture) {
    p->GetLayer(ArkAttrKey(uState))->AddStretched(std::move(pTexture), {0, 0, static_cast<float>(p->GetWidth()),
                                                                         static_cast<float>(p->GetHeight())});
}

void SkinButton(KXRenderer::IKXRenderer& r, CArkButton* p) {
    int w = p->GetWidth(), h = p->GetHeight();
    Fill(p, ARK_ATTR_ENABLED, MakePanel(r, w, h, 0xFF4A78B8u, 0xFF24487Au, 6));
    Fill(p, ARK_ATTR_DISABLED, MakePanel(r, w, h, 0xFF5A5E66u, 0xFF3A3E46u, 6));
    Fill(p, ARK_ATTR_MOUSEOVER, MakePanel(r, w, h, 0xFF6A98D8u, 0xFF34589Au, 6));
    Fill(p, ARK_ATTR_MOUSEDOWN, MakePanel(r, w, h, 0xFF24487Au, 0xFF4A78B8u, 6));
    p->SetTextColour(ArkAttrKey(ARK_ATTR_MOUSEOVER), 0xFFFFF0A0u);
    p->SetEdgeColour(ArkAttrKey(ARK_ATTR_ENABLED), 0xFF102040u);
    // Shaped: the rounded corners do not take clicks.
    p->SetStyle(p->GetStyle() | ARK_STYLE_SHAPED);
}

void SkinCheck(KXRenderer::IKXRenderer& r, CArkCheckButton* p) {
    int h = p->GetHeight();
    p->GetLayer(ArkAttrKey(ARK_ATTR_ENABLED))->AddImage(MakePanel(r, h, h, 0xFFE0E0E0u, 0xFFA0A0A0u, 3), 0, 0);
    p->GetCheckedLayer(ARK_ATTR_ENABLED)->AddImage(MakePanel(r, h, h, 0xFFE0E0E0u, 0xFFA0A0A0u, 3), 0, 0);
    p->GetCheckedLayer(ARK_ATTR_ENABLED)->AddSolid({5, 5, static_cast<float>(h - 5), static_cast<float>(h - 5)}, 0xFF20A040u);
}

void SkinEdit(KXRenderer::IKXRenderer& r, CArkWnd* p) {
    Fill(p, ARK_ATTR_ENABLED, MakePanel(r, p->GetWidth(), p->GetHeight(), 0xFF0E1116u, 0xFF181C24u, 2));
    p->GetLayer(ArkAttrKey(ARK_ATTR_ENABLED))->AddSolid({0, static_cast<float>(p->GetHeight() - 1),
                                                         static_cast<float>(p->GetWidth()), static_cast<float>(p->GetHeight())},
                                                        0xFF4A78B8u);
}

// The rich-text sample: colours, a link, an icon, underline, blink, strike-through and wrapping.
const char* const kRichSample =
    "#Y九宫格边框里的富文本 Rich text: #R红 red #G(1)绿 green #B蓝 blue #M橙 orange#n#r"
    "#c(1)#O101details@@@点击查看详情 Click for details#c(-1)#O  图标 icon #7  #u下划线 underline#u#r"
    "#b#Y闪烁 blink#n  #d删除线 strike#n  "
    "#C自动换行：这一行很长，会在窗口的宽度处一个字一个字地换行，"
    "this long line wraps character by character at the window's width.";

// A caption-only window (labels are plain windows that draw their caption).
class CLabel : public CArkWnd {};

}  // namespace

int CGalleryPanel::OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t, intptr_t b) {
    if (uCode == ARK_NOTIFY_CLICK && pChild && pChild->GetName() == "StartBtn") {
        pProgressH->SetValue(pProgressH->GetValue() >= 100.0 ? 0.4 : pProgressH->GetValue() + 10.0);
        pProgressV->SetValue(pProgressH->GetValue());
        return 1;
    }
    if (uCode == ARK_NOTIFY_CLICK && pChild == pCool) {
        pCool->StartCoolDown(5.0, true);
        return 1;
    }
    if (uCode == ARK_NOTIFY_LINK_LEFT && pChild == pRich) {
        pRich->AppendText("#r#G(1)已打开链接 Link opened#n", true);
        return 1;
    }
    if (uCode == ARK_NOTIFY_EDIT_TAB) {
        // Tab walks the three boxes, Shift+Tab walks back.
        CArkGUIManager* pManager = GetManager();
        CArkEdit::ActivateNext(pChild, pManager && pManager->IsKeyDown(VK_SHIFT));
        return 1;
    }
    if (uCode == ARK_NOTIFY_SCROLL && pChild && pChild->GetName() == "ScrollH") {
        pProgressH->SetValue(static_cast<double>(b));
        return 1;
    }
    return 0;
}

CGalleryPanel* BuildGallery(CArkRootWnd& root) {
    CArkGUIManager* pManager = root.GetManager();
    KXRenderer::IKXRenderer* pRenderer = pManager ? pManager->GetRenderer() : nullptr;
    if (!pRenderer) return nullptr;
    KXRenderer::IKXRenderer& r = *pRenderer;

    auto* pPanel = new CGalleryPanel();
    pPanel->SetDeleteWithParent(true);
    if (pPanel->Create("", 0, 0, 0, kWidth, kHeight, &root) != 0) {
        delete pPanel;
        return nullptr;
    }
    pPanel->SetName("GalleryPanel");
    pPanel->GetLayer(ArkAttrKey(ARK_ATTR_ENABLED))->AddImage(MakePanel(r, kWidth, kHeight, 0xFF2A3040u, 0xFF151820u, 0), 0, 0);

    auto* pTitle = Place<CLabel>(pPanel, "title", "ArkGui 控件展示 — Control gallery", 0, 0, "楷体", 18);
    pTitle->SetTextColour(ArkAttrKey(ARK_ATTR_ENABLED), 0xFFFFE080u);
    pTitle->SetEdgeColour(ArkAttrKey(ARK_ATTR_ENABLED), 0xFF402000u);

    SkinButton(r, Place<CArkButton>(pPanel, "StartBtn", "开始检测 Start"));
    auto* pStop = Place<CArkButton>(pPanel, "StopBtn", "停止 Stop");
    SkinButton(r, pStop);
    pStop->SetEnabled(false);
    pPanel->pCool = Place<CArkButton>(pPanel, "CoolBtn", "重试 Retry");
    SkinButton(r, pPanel->pCool);
    pPanel->pCool->StartCoolDown(3.0, true);

    auto* pAuto = Place<CArkCheckButton>(pPanel, "AutoUpload", "    自动上传 Auto upload", ARK_CHECK_TOGGLE);
    SkinCheck(r, pAuto);
    pAuto->SetChecked(true);
    auto* pTelecom = Place<CArkCheckButton>(pPanel, "RadioTelecom", "    电信 Telecom", ARK_CHECK_RADIO, 1);
    auto* pUnicom = Place<CArkCheckButton>(pPanel, "RadioUnicom", "    联通 Unicom", ARK_CHECK_RADIO, 1);
    SkinCheck(r, pTelecom);
    SkinCheck(r, pUnicom);
    pUnicom->SetChecked(true);

    auto* pH = Place<CArkProgress>(pPanel, "ProgressH", "进度 Progress 40%");
    Fill(pH, ARK_ATTR_ENABLED, MakePanel(r, pH->GetWidth(), pH->GetHeight(), 0xFF101418u, 0xFF202830u, 4));
    pH->GetLayer(ArkAttrKey(ARK_ATTR_BAR))->AddStretched(MakePanel(r, pH->GetWidth(), pH->GetHeight(), 0xFF60D080u, 0xFF208040u, 4),
                                                         {0, 0, static_cast<float>(pH->GetWidth()), static_cast<float>(pH->GetHeight())});
    pH->SetValue(40.0);
    auto* pV = Place<CArkProgress>(pPanel, "ProgressV", "");
    Fill(pV, ARK_ATTR_ENABLED, MakePanel(r, pV->GetWidth(), pV->GetHeight(), 0xFF101418u, 0xFF202830u, 4));
    pV->GetLayer(ArkAttrKey(ARK_ATTR_BAR))->AddStretched(MakePanel(r, pV->GetWidth(), pV->GetHeight(), 0xFFF0B040u, 0xFFC06020u, 4),
                                                         {0, 0, static_cast<float>(pV->GetWidth()), static_cast<float>(pV->GetHeight())});
    pV->SetVertical(true);
    pV->SetValue(65.0);
    pPanel->pProgressH = pH;
    pPanel->pProgressV = pV;

    auto* pAccount = Place<CArkEdit>(pPanel, "AccountEdit", "玩家账号 player01", ARK_EDIT_CLIPBOARD);
    SkinEdit(r, pAccount);
    pAccount->SetMaxLength(32);
    auto* pNumber = Place<CArkEdit>(pPanel, "NumberEdit", "-12.5", ARK_EDIT_NUMERIC);
    SkinEdit(r, pNumber);
    auto* pNotes = Place<CArkEdit>(pPanel, "NotesEdit", "第一行 first line\n第二行 second line\n第三行 third line\n第四行 fourth line",
                                   ARK_EDIT_MULTILINE | ARK_EDIT_CLIPBOARD);
    SkinEdit(r, pNotes);
    pNotes->SetCaret(0);
    pAccount->Activate();

    auto* pScrollH = Place<CArkScrollBar>(pPanel, "ScrollH", "", ARK_SCROLL_HORIZONTAL);
    pScrollH->SetMax(100);
    pScrollH->SetPage(20);
    pScrollH->SetPosition(40);
    auto* pScrollV = Place<CArkScrollBar>(pPanel, "ScrollV", "");
    pScrollV->SetMax(50);
    pScrollV->SetPage(10);
    pScrollV->SetPosition(10);

    // The frame: a plain window whose background is a nine-piece decoration, with a rich text inside.
    auto* pFrame = Place<CLabel>(pPanel, "Frame", "");
    auto* pDeco = new CDecorateWnd();
    pDeco->SetDeleteWithParent(true);
    if (pDeco->Create("", 0, 0, 0, pFrame->GetWidth(), pFrame->GetHeight(), pFrame) == 0) {
        pDeco->SetDecorateTextures("nine", MakeFramePieces(r));
    }
    pPanel->pRich = Place<CArkRichWnd>(pPanel, "RichText", "", ARK_RICH_SCROLLBAR, 0, "黑体", 14);
    if (pPanel->pRich) {
        pPanel->pRich->SetIconImage(7, MakePanel(r, 16, 16, 0xFF80E0FFu, 0xFF2070C0u, 5));
        pPanel->pRich->SetText(kRichSample);
    }
    return pPanel;
}

}  // namespace ArkGallery
