// Layout templates built in code for the layout tests: one that uses every part of the format.
#pragma once

#include <memory>
#include <string>

#include "KX_GUI/ArkLayoutTemplate.h"

namespace ArkGuiTest {

// A component with a caption, every body field set, a decorate child, a button with two image entries
// and a middleware child holding a plain window.
inline std::unique_ptr<ArkGui::CArkLayoutTemplate> MakeFullTemplate(const std::string& strName = "Main") {
    using namespace ArkGui;
    auto p = std::make_unique<CArkLayoutTemplate>();
    p->SetString(ARK_LS_NAME, strName);
    p->SetString(ARK_LS_CLASS, "CArkWnd");
    p->SetString(ARK_LS_CAPTION, "caption");
    p->SetString(ARK_LS_FONT, "font");
    p->SetString(ARK_LS_TIP, "tip");
    p->SetString(ARK_LS_S15, "bind");
    p->SetString(ARK_LS_S16, "drag.png");
    p->SetString(ARK_LS_IMAGE0, "a.png");
    p->SetString(ARK_LS_IMAGE1, "b.png");
    p->SetString(ARK_LS_IMAGE2, "c.png");
    ArkLayoutBody& b = p->Body();
    b = {0x40000020u, 10, 20, 300, 200, 7, 14, 1.5f, -2.25f, 9};
    ArkLayoutEntry first;
    first.vecLayers.emplace_back();
    first.vecLayers[0].anHead[0] = 2;
    ArkLayoutQuad q;
    q.uImage = p->AddString("q.png");
    q.fU1 = q.fV1 = 1.0f;
    q.uColour = 0x80FFFFFFu;
    first.vecLayers[0].vecQuads.push_back(q);
    p->Entries().push_back(first);
    ArkLayoutEntry second;
    second.bHasRect = true;
    second.rc = {5, 6, 15, 26};
    p->Entries().push_back(second);

    CArkLayoutTemplate* pFrame = p->AddChild("Frame");
    pFrame->SetString(ARK_LS_CLASS, "CDecorateWnd");
    pFrame->SetString(ARK_LS_DECORATE_TYPE, "nine");
    pFrame->SetString(ARK_LS_DECORATE_PIECES, "x/lt.png;t.png");
    pFrame->SetHasDecorate(true);
    CArkLayoutTemplate* pBtn = p->AddChild("Btn");
    pBtn->SetString(ARK_LS_CLASS, "CArkButton");
    pBtn->SetString(ARK_LS_CAPTION, "OK");
    pBtn->Body().nX = 4;
    pBtn->Body().nY = 5;
    pBtn->Body().nWidth = 40;
    pBtn->Body().nHeight = 20;
    CArkLayoutTemplate* pMid = p->AddChild("Mid");
    pMid->SetString(ARK_LS_CLASS, "CArkMiddlewareWnd");
    pMid->Body().nX = 50;
    pMid->Body().nY = 60;
    CArkLayoutTemplate* pInner = pMid->AddChild("Inner");
    pInner->SetString(ARK_LS_CLASS, "CArkWnd");
    pInner->Body().nX = 1;
    pInner->Body().nY = 2;
    return p;
}

}  // namespace ArkGuiTest
