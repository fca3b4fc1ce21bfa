// CDecorateWnd and its piece layouts. Every piece is drawn in white with the whole image stretched
// over its rectangle; corners keep their own size.
#include "KX_GUI/ArkDecorateWnd.h"

#include <cstring>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Renderer/KXRenderer.h"

namespace ArkGui {

namespace {

float W(const std::shared_ptr<KXRenderer::CKXTexture>& p) { return static_cast<float>(p->GetWidth()); }
float H(const std::shared_ptr<KXRenderer::CKXTexture>& p) { return static_cast<float>(p->GetHeight()); }

bool HasPieces(const ArkTextureList& v, size_t uCount) {
    if (v.size() < uCount) return false;
    for (size_t i = 0; i < uCount; ++i) {
        if (!v[i]) return false;
    }
    return true;
}

}  // namespace

void CDecorateWndType::Place(ArkImageLayer& layer, const std::shared_ptr<KXRenderer::CKXTexture>& p, float x, float y,
                             float r, float b) const {
    float ox = static_cast<float>(m_nOffsetX), oy = static_cast<float>(m_nOffsetY);
    layer.AddStretched(p, {ox + x, oy + y, ox + r, oy + b}, 0xFFFFFFFFu);
}

bool CDecorateWndOne::Build(ArkImageLayer& layer, const ArkTextureList& v) {
    if (!HasPieces(v, 1)) return false;
    float fW = static_cast<float>(m_nWidth);
    Place(layer, v[0], fW - W(v[0]), 0, fW, H(v[0]));
    return true;
}

bool CDecorateWndHor::Build(ArkImageLayer& layer, const ArkTextureList& v) {
    if (!HasPieces(v, 3)) return false;
    float fW = static_cast<float>(m_nWidth);
    Place(layer, v[0], 0, 0, W(v[0]), H(v[0]));
    Place(layer, v[1], W(v[0]), 0, fW - W(v[2]), H(v[2]));
    Place(layer, v[2], fW - W(v[2]), 0, fW, H(v[2]));
    return true;
}

bool CDecorateWndVer::Build(ArkImageLayer& layer, const ArkTextureList& v) {
    if (!HasPieces(v, 3)) return false;
    float fH = static_cast<float>(m_nHeight);
    Place(layer, v[0], 0, 0, W(v[0]), H(v[0]));
    Place(layer, v[1], 0, H(v[0]), W(v[2]), fH - H(v[2]));
    Place(layer, v[2], 0, fH - H(v[2]), W(v[2]), fH);
    return true;
}

bool CDecorateWndNine::Build(ArkImageLayer& layer, const ArkTextureList& v) {
    if (!HasPieces(v, 9)) return false;
    float fW = static_cast<float>(m_nWidth), fH = static_cast<float>(m_nHeight);
    // Reading order: 0 top-left, 1 top, 2 top-right, 3 left, 4 centre, 5 right, 6 bottom-left, 7 bottom, 8 bottom-right.
    Place(layer, v[4], W(v[0]), H(v[0]), fW - W(v[8]), fH - H(v[8]));
    Place(layer, v[1], W(v[0]), 0, fW - W(v[2]), H(v[1]));
    Place(layer, v[7], W(v[6]), fH - H(v[7]), fW - W(v[8]), fH);
    Place(layer, v[3], 0, H(v[0]), W(v[3]), fH - H(v[6]));
    Place(layer, v[5], fW - W(v[5]), H(v[2]), fW, fH - H(v[8]));
    Place(layer, v[0], 0, 0, W(v[0]), H(v[0]));
    Place(layer, v[2], fW - W(v[2]), 0, fW, H(v[2]));
    Place(layer, v[6], 0, fH - H(v[6]), W(v[6]), fH);
    Place(layer, v[8], fW - W(v[8]), fH - H(v[8]), fW, fH);
    return true;
}

std::unique_ptr<IDecorateWndType> MakeDecorateWndType(const char* szType) {
    if (!szType) return nullptr;
    if (std::strcmp(szType, "one") == 0) return std::make_unique<CDecorateWndOne>();
    if (std::strcmp(szType, "hor") == 0) return std::make_unique<CDecorateWndHor>();
    if (std::strcmp(szType, "ver") == 0) return std::make_unique<CDecorateWndVer>();
    if (std::strcmp(szType, "nine") == 0) return std::make_unique<CDecorateWndNine>();
    return nullptr;
}

CDecorateWnd::CDecorateWnd() { m_nType = ARK_WND_DECORATE; }

const char* CDecorateWnd::GetClassName() const { return "CDecorateWnd"; }

int CDecorateWnd::Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight,
                         CArkWnd* pParent, const char* szFontName, int nFontSize, intptr_t nUserData) {
    int nResult = CArkWnd::Create(szCaption, uStyle | ARK_STYLE_ATTACHED | ARK_STYLE_CONTROL, nX, nY, nWidth, nHeight,
                                  pParent, szFontName, nFontSize, nUserData);
    if (nResult == 0) m_rcRequested = GetRect();
    return nResult;
}

bool CDecorateWnd::SetDecorate(const char* szType, const std::vector<std::string>& vecImageNames) {
    KXRenderer::IKXRenderer* pRenderer = m_pManager ? m_pManager->GetRenderer() : nullptr;
    if (!pRenderer) return false;
    ArkTextureList vecPieces;
    for (const std::string& strName : vecImageNames) {
        vecPieces.push_back(pRenderer->LoadTexture(strName.c_str()));
        if (!vecPieces.back()) ArkLog(WL_ERROR, M_UI, "%s 不能加载资源：%s", "CDecorateWnd::SetDecorate", strName.c_str());
    }
    m_vecPieceNames = vecImageNames;
    return SetDecorateTextures(szType, vecPieces);
}

bool CDecorateWnd::SetDecorateTextures(const char* szType, const ArkTextureList& vecPieces) {
    std::unique_ptr<IDecorateWndType> pType = MakeDecorateWndType(szType);
    if (!pType || !m_pParent) return false;
    pType->SetSize(m_nWidth, m_nHeight);
    pType->SetOffset(m_nX - m_pParent->GetX(), m_nY - m_pParent->GetY());
    ArkImageLayer layer;
    if (!pType->Build(layer, vecPieces)) return false;
    // The parent draws the pieces from now on, in place of its background.
    ArkImageLayer& decoration = m_pParent->GetDecoration();
    decoration.vecQuads.insert(decoration.vecQuads.end(), layer.vecQuads.begin(), layer.vecQuads.end());
    m_pType = std::move(pType);
    HideQuietly();
    return true;
}

}  // namespace ArkGui
