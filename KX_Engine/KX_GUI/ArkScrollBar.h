// CArkScrollBar: two arrows and a thumb over a track; position in [0, maximum - page].
#pragma once

#include "KX_GUI/ArkButton.h"

namespace ArkGui {

constexpr uint32_t ARK_SCROLL_HORIZONTAL = 0x4000;

class CArkScrollBar : public CArkWnd {
public:
    CArkScrollBar();
    ~CArkScrollBar() override;

    const char* GetClassName() const override;
    int Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight, CArkWnd* pParent,
               const char* szFontName = nullptr, int nFontSize = 12, intptr_t nUserData = 0) override;
    int Destroy() override;
    void SetRect(const KXRenderer::KXRectI& rc, bool bFlag = true) override;

    bool IsHorizontal() const { return (m_uStyle & ARK_SCROLL_HORIZONTAL) != 0; }
    void SetMax(double d) { m_dMax = d; UpdateStep(false); }
    void SetPage(double d) { m_dPage = d; UpdateStep(false); }
    void SetPosition(double d) { m_dPos = d; UpdateStep(false); }
    void SetStep(double d) { m_dStep = d; }
    double GetMax() const { return m_dMax; }
    double GetPage() const { return m_dPage; }
    double GetPosition() const { return m_dPos; }
    double GetStep() const { return m_dStep; }
    void SetDragEndNotify(bool b) { m_bDragEndNotify = b; }

    // Input: moves by a distance, or by the wheel rule; ends in the update step and 769.
    void ScrollBy(double dDelta);
    // The thumb was let go after a drag.
    void OnThumbDragEnd();
    void OnWheel(int nDelta);
    // Limits maximum, page and position, places the thumb; with bFromInput tells the parent (769).
    void UpdateStep(bool bFromInput);

    CArkScrollBarButton* GetDecArrow() { return &m_dec; }
    CArkScrollBarButton* GetIncArrow() { return &m_inc; }
    CArkScrollBarButton* GetThumb() { return &m_thumb; }
    // Lengths along the bar: arrow side, track start and length, thumb length.
    int ArrowSide() const;
    int TrackStart() const { return ArrowSide(); }
    int TrackLength() const;
    int ThumbLength() const;

    int OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) override;
    int OnLButtonDown(int nKeys, int nX, int nY) override;
    bool OnMouseWheel(int nKeys, int nDelta, int nX, int nY) override;

private:
    void PlaceParts();
    int Length() const { return IsHorizontal() ? m_nWidth : m_nHeight; }
    int Thickness() const { return IsHorizontal() ? m_nHeight : m_nWidth; }

    CArkScrollBarButton m_dec;
    CArkScrollBarButton m_inc;
    CArkScrollBarButton m_thumb;
    int m_nMode = 0;
    double m_dMax = 1.0;
    double m_dPage = 1.0;
    double m_dPos = 0.0;
    double m_dStep = 1.0;
    bool m_bNotifyScroll = true;
    bool m_bDragEndNotify = false;
};

}  // namespace ArkGui
