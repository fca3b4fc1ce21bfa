// The gallery's window tree: a panel holding one of each control, with sample texts in Chinese and English.
#pragma once

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkCheckButton.h"
#include "KX_GUI/ArkEdit.h"
#include "KX_GUI/ArkProgress.h"
#include "KX_GUI/ArkRichWnd.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_GUI/ArkScrollBar.h"

namespace ArkGallery {

// The panel reacts to its controls: Start advances the bars, the cool-down button cools down, the
// scroll bar moves the horizontal bar, the rich text's link adds a line to it.
class CGalleryPanel : public ArkGui::CArkWnd {
public:
    int OnNotify(ArkGui::CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) override;

    ArkGui::CArkProgress* pProgressH = nullptr;
    ArkGui::CArkProgress* pProgressV = nullptr;
    ArkGui::CArkButton* pCool = nullptr;
    ArkGui::CArkRichWnd* pRich = nullptr;
};

// Builds the tree under the root (which must have its renderer); returns the panel or null.
CGalleryPanel* BuildGallery(ArkGui::CArkRootWnd& root);

}  // namespace ArkGallery
