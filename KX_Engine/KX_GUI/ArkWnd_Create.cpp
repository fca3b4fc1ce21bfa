// CArkWnd: creating a window, and its children, from a layout template.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "KX_GUI/ArkDecorateWnd.h"
#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkLayoutTemplate.h"
#include "KX_GUI/ArkWnd.h"
#include "KX_GUI/ArkWndFactory.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Renderer/KXRenderer.h"

namespace ArkGui {

namespace {

const char* const kTag = "CArkWnd::CreateFromTemplate";

void LogMissing(const char* szName) { ArkLog(WL_ERROR, M_UI, "%s 不能加载资源：%s", kTag, szName); }

// The texture of an image name; null (and the resource line) when it does not load. Without a renderer
// nothing is drawn, so nothing is loaded either.
std::shared_ptr<KXRenderer::CKXTexture> LoadImage(CArkGUIManager* pManager, const char* szName) {
    KXRenderer::IKXRenderer* pRenderer = pManager ? pManager->GetRenderer() : nullptr;
    if (!pRenderer || !szName || !*szName) return nullptr;
    std::shared_ptr<KXRenderer::CKXTexture> pTexture = pRenderer->LoadTexture(szName);
    if (!pTexture) LogMissing(szName);
    return pTexture;
}

// "a/b/x.png;y.png;c/z.png": a piece without a folder takes the first piece's folder.
std::vector<std::string> SplitPieces(const char* szPieces) {
    std::vector<std::string> vec;
    std::string strFolder;
    const char* p = szPieces;
    while (*p) {
        const char* pEnd = std::strchr(p, ';');
        std::string strPiece(p, pEnd ? pEnd : p + std::strlen(p));
        if (vec.empty()) {
            size_t nSlash = strPiece.rfind('/');
            if (nSlash != std::string::npos) strFolder = strPiece.substr(0, nSlash + 1);
        } else if (strPiece.find('/') == std::string::npos) {
            strPiece = strFolder + strPiece;
        }
        vec.push_back(strPiece);
        if (!pEnd) break;
        p = pEnd + 1;
    }
    return vec;
}

float ToFloat(int32_t n) { return static_cast<float>(n); }

}  // namespace

int CArkWnd::CreateFromTemplate(const char* szTemplate, CArkWnd* pParent, int nX, int nY, int nWidth, int nHeight) {
    if (!pParent || !pParent->m_pManager) return -1;
    const CArkLayoutTemplate* pTemplate = pParent->m_pManager->FindTemplate(szTemplate);
    if (!pTemplate) {
        LogMissing(szTemplate ? szTemplate : "(null)");
        return -1;
    }
    return CreateFromTemplate(*pTemplate, pParent, nX, nY, nWidth, nHeight);
}

int CArkWnd::CreateFromTemplate(const CArkLayoutTemplate& tmpl, CArkWnd* pParent, int nX, int nY, int nWidth,
                                int nHeight) {
    if (!pParent || !pParent->m_pManager) return -1;
    if (!IsClassName(tmpl.GetClass())) {
        ArkLog(WL_ERROR, M_UI, "%s %s is not of class %s", kTag, tmpl.GetName(), tmpl.GetClass());
        return -1;
    }
    const ArkLayoutBody& body = tmpl.Body();
    // Each pair of the caller's values counts only when both are given.
    if (nX == 0 || nY == 0) {
        nX = body.nX;
        nY = body.nY;
    }
    if (nWidth == 0 || nHeight == 0) {
        nWidth = body.nWidth;
        nHeight = body.nHeight;
    }
    if (Create(tmpl.GetString(ARK_LS_CAPTION), body.uStyle, nX, nY, nWidth, nHeight, pParent,
               tmpl.GetString(ARK_LS_FONT), body.nFontSize, body.nUserData) != 0) {
        return -1;
    }
    m_pTemplate = &tmpl;
    m_fValue1 = body.fValue1;
    m_fValue2 = body.fValue2;
    m_nLayer = body.nNumber;
    SetTipText(tmpl.GetString(ARK_LS_TIP));
    SetBindText(tmpl.GetString(ARK_LS_S15));
    const KXRenderer::KXRectF rcWhole{0.0f, 0.0f, ToFloat(m_nWidth), ToFloat(m_nHeight)};
    const ArkLayoutString aeImages[3] = {ARK_LS_IMAGE0, ARK_LS_IMAGE1, ARK_LS_IMAGE2};
    const uint32_t auStates[3] = {ARK_ATTR_BASE, ARK_ATTR_ENABLED, ARK_ATTR_DISABLED};
    for (int i = 0; i < 3; ++i) {
        if (auto pTexture = LoadImage(m_pManager, tmpl.GetString(aeImages[i]))) {
            GetLayer(ArkAttrKey(auStates[i]))->AddStretched(pTexture, rcWhole);
        }
    }
    if (ArkImageLayer* pDrag = GetLayer(ArkAttrKey(ARK_ATTR_DRAG))) {
        if (auto pTexture = LoadImage(m_pManager, tmpl.GetString(ARK_LS_S16))) pDrag->AddImage(pTexture, 0.0f, 0.0f);
    }
    ApplyTemplateEntries(tmpl);
    if (tmpl.HasDecorate()) {
        if (auto* pDecorate = dynamic_cast<CDecorateWnd*>(this)) {
            pDecorate->SetDecorate(tmpl.GetString(ARK_LS_DECORATE_TYPE),
                                   SplitPieces(tmpl.GetString(ARK_LS_DECORATE_PIECES)));
        }
    }
    m_strName = tmpl.GetName();
    CArkGUIManager* pManager = m_pManager;
    for (const auto& pChildTemplate : tmpl.Children()) {
        std::unique_ptr<CArkWnd> pChild = MakeWndOfClass(pChildTemplate->GetClass());
        if (!pChild) {
            ArkLog(WL_ERROR, M_UI, "%s %s: unknown class %s", kTag, pChildTemplate->GetName(), pChildTemplate->GetClass());
            continue;
        }
        pChild->SetDeleteWithParent(true);
        if (pChild->CreateFromTemplate(*pChildTemplate, this) == 0) pChild.release();  // the tree owns it now
        if (!pManager->IsLive(this)) break;
    }
    return 0;
}

void CArkWnd::ApplyTemplateEntries(const CArkLayoutTemplate& tmpl) {
    const KXRenderer::KXRectI rcWindow{0, 0, m_nWidth, m_nHeight};
    for (const ArkLayoutEntry& entry : tmpl.Entries()) {
        const KXRenderer::KXRectI& rcArea = entry.bHasRect ? entry.rc : rcWindow;
        for (const ArkLayoutLayer& layer : entry.vecLayers) {
            if (layer.anHead[0] < 0 || layer.anHead[0] > 0xFFFF) continue;
            ArkImageLayer* pLayer = GetLayer(ArkAttrKey(static_cast<uint32_t>(layer.anHead[0])));
            if (!pLayer) continue;
            for (const ArkLayoutQuad& q : layer.vecQuads) {
                const char* szImage = tmpl.StringAt(q.uImage);
                ArkQuad quad;
                quad.uColour = q.uColour ? q.uColour : 0xFFFFFFFFu;
                float fSrcW = 0, fSrcH = 0;
                if (*szImage) {
                    quad.pTexture = LoadImage(m_pManager, szImage);
                    if (!quad.pTexture) continue;
                    quad.strImage = szImage;
                    float fW = ToFloat(quad.pTexture->GetWidth()), fH = ToFloat(quad.pTexture->GetHeight());
                    // A rectangle that is not finite (a damaged file) shows the whole image as well.
                    bool bFinite = std::isfinite(q.fU0) && std::isfinite(q.fV0) && std::isfinite(q.fU1) &&
                                   std::isfinite(q.fV1);
                    bool bWhole = !bFinite || (q.fU0 == 0 && q.fV0 == 0 && q.fU1 == 0 && q.fV1 == 0);
                    auto frac = [](float f) { return f < 0.0f ? 0.0f : f > 1.0f ? 1.0f : f; };
                    quad.rcSource = bWhole ? KXRenderer::KXRectF{0, 0, fW, fH}
                                           : KXRenderer::KXRectF{frac(q.fU0) * fW, frac(q.fV0) * fH,
                                                                 frac(q.fU1) * fW, frac(q.fV1) * fH};
                    fSrcW = std::fabs(quad.rcSource.fRight - quad.rcSource.fLeft);
                    fSrcH = std::fabs(quad.rcSource.fBottom - quad.rcSource.fTop);
                }
                float fLeft = ToFloat(rcArea.nLeft) + ToFloat(q.nX), fTop = ToFloat(rcArea.nTop) + ToFloat(q.nY);
                if (q.nLast == 1) {
                    quad.rcDest = {fLeft, fTop, ToFloat(rcArea.nRight), ToFloat(rcArea.nBottom)};
                } else {
                    float fW = layer.anHead[1] ? ToFloat(layer.anHead[1]) : fSrcW;
                    float fH = layer.anHead[2] ? ToFloat(layer.anHead[2]) : fSrcH;
                    quad.rcDest = {fLeft, fTop, fLeft + fW, fTop + fH};
                }
                pLayer->vecQuads.push_back(std::move(quad));
            }
        }
    }
}

}  // namespace ArkGui
