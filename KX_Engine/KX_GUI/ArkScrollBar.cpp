// CArkScrollBar: placing the arrows and the thumb, and the position arithmetic.
#include "KX_GUI/ArkScrollBar.h"

#include <algorithm>
#include <cmath>

#include "KX_GUI/ArkWatch.h"

namespace ArkGui {

namespace {

constexpr uint32_t kArrowColour = 0xFF6A7A90u;
constexpr uint32_t kThumbColour = 0xFF9AAAC0u;
constexpr uint32_t kTrackColour = 0xFF30343Cu;
constexpr int kThumbInset = 2;     // pixels on each side across the bar
constexpr int kMinThumb = 8;

}  // namespace

CArkScrollBar::CArkScrollBar() { m_nType = ARK_WND_SCROLLBAR; }

CArkScrollBar::~CArkScrollBar() { CArkScrollBar::Destroy(); }

const char* CArkScrollBar::GetClassName() const { return "CArkScrollBar"; }

int CArkScrollBar::Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight,
                          CArkWnd* pParent, const char* szFontName, int nFontSize, intptr_t nUserData) {
    if (CArkWnd::Create(szCaption, uStyle | ARK_STYLE_ATTACHED, nX, nY, nWidth, nHeight, pParent, szFontName, nFontSize,
                        nUserData) != 0) {
        return -1;
    }
    m_dStep = 1.0;
    m_bNotifyScroll = true;
    m_bDragEndNotify = false;
    m_layerEnabled.AddSolid({0, 0, static_cast<float>(m_nWidth), static_cast<float>(m_nHeight)}, kTrackColour);
    m_layerDisabled = m_layerEnabled;
    // Created in this order so that the thumb ends up first, in front of the arrows.
    m_dec.Create("", 0, 0, 0, 1, 1, this);
    m_inc.Create("", 0, 0, 0, 1, 1, this);
    m_thumb.Create("", 0, 0, 0, 1, 1, this);
    m_dec.SetName("dec");
    m_inc.SetName("inc");
    m_thumb.SetName("thumb");
    PlaceParts();
    return 0;
}

int CArkScrollBar::Destroy() {
    m_thumb.Destroy();
    m_inc.Destroy();
    m_dec.Destroy();
    return CArkWnd::Destroy();
}

void CArkScrollBar::SetRect(const KXRenderer::KXRectI& rc, bool bFlag) {
    CArkWnd::SetRect(rc, bFlag);
    if (!m_pManager) return;
    m_layerEnabled.Clear();
    m_layerEnabled.AddSolid({0, 0, static_cast<float>(m_nWidth), static_cast<float>(m_nHeight)}, kTrackColour);
    m_layerDisabled = m_layerEnabled;
    PlaceParts();
}

int CArkScrollBar::ArrowSide() const { return std::min(Length() / 3, Thickness()); }

int CArkScrollBar::TrackLength() const { return std::max(0, Length() - 2 * ArrowSide()); }

int CArkScrollBar::ThumbLength() const {
    int nTrack = TrackLength();
    if (m_dMax <= m_dPage) return nTrack;
    int nLen = static_cast<int>(std::lround(nTrack * m_dPage / m_dMax));
    return std::min(nTrack, std::max(nLen, std::min(kMinThumb, nTrack)));
}

static void FillArrow(CArkScrollBarButton& b, uint32_t uColour) {
    ArkImageLayer* pLayer = b.GetLayer(ArkAttrKey(ARK_ATTR_ENABLED));
    pLayer->Clear();
    pLayer->AddSolid({0, 0, static_cast<float>(b.GetWidth()), static_cast<float>(b.GetHeight())}, uColour);
    *b.GetLayer(ArkAttrKey(ARK_ATTR_DISABLED)) = *pLayer;
}

void CArkScrollBar::PlaceParts() {
    // The arrows are squares; on a bar shorter than three thicknesses they are narrower than the bar and
    // sit in the middle across it.
    int nSide = ArrowSide();
    int nAcross = (Thickness() - nSide) / 2;
    if (IsHorizontal()) {
        int nTop = m_nY + nAcross;
        m_dec.SetRect({m_nX, nTop, m_nX + nSide, nTop + nSide});
        m_inc.SetRect({m_nX + m_nWidth - nSide, nTop, m_nX + m_nWidth, nTop + nSide});
    } else {
        int nLeft = m_nX + nAcross;
        m_dec.SetRect({nLeft, m_nY, nLeft + nSide, m_nY + nSide});
        m_inc.SetRect({nLeft, m_nY + m_nHeight - nSide, nLeft + nSide, m_nY + m_nHeight});
    }
    FillArrow(m_dec, kArrowColour);
    FillArrow(m_inc, kArrowColour);
    UpdateStep(false);
}

void CArkScrollBar::UpdateStep(bool bFromInput) {
    m_dMax = std::max(m_dMax, 1.0);
    m_dPage = std::max(std::min(m_dPage, m_dMax), 1.0);
    m_dPos = std::max(0.0, std::min(m_dPos, m_dMax - m_dPage));
    if (m_pManager) {
        int nThumb = ThumbLength();
        int nFirst = TrackStart();
        int nLast = TrackStart() + TrackLength() - nThumb;
        double dFraction = m_dMax > m_dPage ? m_dPos / (m_dMax - m_dPage) : 0.0;
        int nAlong = static_cast<int>(std::lround(nFirst + (nLast - nFirst) * dFraction));
        int nAcross = std::max(0, Thickness() - 2 * kThumbInset);
        if (IsHorizontal()) {
            m_thumb.SetRect({m_nX + nAlong, m_nY + kThumbInset, m_nX + nAlong + nThumb, m_nY + kThumbInset + nAcross});
        } else {
            m_thumb.SetRect({m_nX + kThumbInset, m_nY + nAlong, m_nX + kThumbInset + nAcross, m_nY + nAlong + nThumb});
        }
        FillArrow(m_thumb, kThumbColour);
    }
    if (bFromInput && m_bNotifyScroll) {
        NotifyParent(ARK_NOTIFY_SCROLL, IsHorizontal() ? ARK_SCROLL_HORIZONTAL : 0, static_cast<intptr_t>(std::lround(m_dPos)));
    }
}

void CArkScrollBar::ScrollBy(double dDelta) {
    m_dPos += dDelta;
    UpdateStep(true);
}

void CArkScrollBar::OnWheel(int nDelta) {
    m_dPos += (nDelta < 0 ? 1.0 : -1.0) * std::max(m_dPage / 10.0, 1.0);
    UpdateStep(true);
}

int CArkScrollBar::OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) {
    CArkWatch<> self(this);  // the parent may free this bar when it hears of a change
    if (uCode == ARK_NOTIFY_CLICK && (pChild == &m_dec || pChild == &m_inc)) {
        ScrollBy(pChild == &m_dec ? -m_dStep : m_dStep);
        if (self) NotifyParent(ARK_NOTIFY_SCROLL_END, 0, 0);
        return 1;
    }
    if (uCode == ARK_NOTIFY_DRAGMOVE && pChild == &m_thumb) {
        // a = grab offset, b = cursor, both y high and x low.
        int nGrab = IsHorizontal() ? GET_X_LPARAM(a) : GET_Y_LPARAM(a);
        int nCursor = IsHorizontal() ? GET_X_LPARAM(b) : GET_Y_LPARAM(b);
        int nThumbAt = IsHorizontal() ? m_thumb.GetX() : m_thumb.GetY();
        int nDelta = nCursor - nGrab - nThumbAt;
        int nRoom = TrackLength() - ThumbLength();
        if (nRoom > 0 && nDelta != 0) {
            m_dPos += (m_dMax - m_dPage) * nDelta / nRoom;
            UpdateStep(true);
            if (self && m_bDragEndNotify) NotifyParent(ARK_NOTIFY_THUMB_DRAGGED, 0, 0);
        }
        return 1;
    }
    return 0;
}

void CArkScrollBar::OnThumbDragEnd() {
    CArkWatch<> self(this);
    if (m_bDragEndNotify) NotifyParent(ARK_NOTIFY_THUMB_DRAG_END, 0, 0);
    if (self) NotifyParent(ARK_NOTIFY_SCROLL_END, 0, 0);
}

int CArkScrollBar::OnLButtonDown(int, int nX, int nY) {
    // A press on the track jumps so that the thumb is centred on the press point.
    int nAlong = IsHorizontal() ? nX : nY;
    int nRoom = TrackLength() - ThumbLength();
    if (nRoom <= 0) return 1;
    double dFraction = static_cast<double>(nAlong - TrackStart() - ThumbLength() / 2) / nRoom;
    dFraction = std::max(0.0, std::min(1.0, dFraction));
    m_dPos = dFraction * (m_dMax - m_dPage);
    CArkWatch<> self(this);
    UpdateStep(true);
    if (self) NotifyParent(ARK_NOTIFY_SCROLL_END, 0, 0);
    return 1;
}

bool CArkScrollBar::OnMouseWheel(int, int nDelta, int, int) {
    OnWheel(nDelta);
    return true;
}

}  // namespace ArkGui
