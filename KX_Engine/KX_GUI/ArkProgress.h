// CArkProgress: a bar (layer key 10) drawn for the fraction value / maximum, across or upwards.
#pragma once

#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

// Style bit 0: the window's own background is drawn over the bar instead of under it.
constexpr uint32_t ARK_PROGRESS_BACKGROUND_ON_TOP = 0x1;

class CArkProgress : public CArkWnd {
public:
    CArkProgress();

    const char* GetClassName() const override;
    int Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight, CArkWnd* pParent,
               const char* szFontName = nullptr, int nFontSize = 12, intptr_t nUserData = 0) override;
    ArkImageLayer* GetLayer(uint32_t uKey) override;
    void Render() override;

    // The bar shows value / maximum (both 100 after Create); a change redraws it.
    void SetValue(double dValue);
    double GetValue() const { return m_dValue; }
    void SetMax(double dMax);
    double GetMax() const { return m_dMax; }
    // Upwards instead of across.
    void SetVertical(bool b);
    // A small but non-zero value still shows one pixel (on by default).
    void SetMinOnePixel(bool b);

    // The part of the bar to show, relative to the window's corner; false when nothing is drawn.
    bool ComputeBarRect(KXRenderer::KXRectF& rc) const;

protected:
    ArkImageLayer m_layerBar;
    double m_dValue = 100.0;
    double m_dMax = 100.0;
    bool m_bVertical = false;
    bool m_bMinOnePixel = true;
};

}  // namespace ArkGui
