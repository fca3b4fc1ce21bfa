// ArkGui frame and hit-test cost: a 200-window tree at 640 x 520 drawn with the software renderer.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXRenderer.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 520;
constexpr int kPanels = 10;
constexpr int kPerPanel = 19;  // 10 panels + 190 controls = 200 windows under the root

struct GuiTree {
    KXPlatform::CKXPlatform_NullHostWindow host;
    std::unique_ptr<KXRenderer::IKXRenderer> pRenderer;
    std::unique_ptr<ArkGui::CArkRootWnd> pRoot;
    bool bText = false;

    explicit GuiTree(bool bCaptions) {
        pRenderer = KXRenderer::CreateSoftwareRenderer(kWidth, kHeight);
        host.Create("bench", kWidth, kHeight);
        pRoot = std::make_unique<ArkGui::CArkRootWnd>();
        pRoot->CreateRoot(kWidth, kHeight, &host, pRenderer.get());
        if (bCaptions) {
            // Fonts come from the staged data tree beside the build's bench folder.
            std::string strData = KXPlatform::GetExecutableDir() + "/../stage/data";
            bText = KXPlatform::SetCurrentDir(strData.c_str()) && pRoot->GetManager()->InitFontTable();
        }
        std::vector<uint32_t> vecPixels(32 * 16);
        for (size_t i = 0; i < vecPixels.size(); ++i) vecPixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
        auto pTexture = pRenderer->CreateTexture(32, 16, vecPixels.data());
        for (int p = 0; p < kPanels; ++p) {
            auto* pPanel = new ArkGui::CArkWnd();
            pPanel->SetDeleteWithParent(true);
            pPanel->Create("", 0, (p % 5) * 128, (p / 5) * 260, 124, 256, pRoot.get());
            pPanel->GetLayer(ArkGui::ArkAttrKey(ArkGui::ARK_ATTR_ENABLED))->AddSolid({0, 0, 124, 256}, 0xFF202830u);
            for (int c = 0; c < kPerPanel; ++c) {
                auto* pButton = new ArkGui::CArkButton();
                pButton->SetDeleteWithParent(true);
                pButton->Create(bText ? "按钮 Btn" : "", 0, 4, 4 + c * 13, 116, 12, pPanel, "黑体", 12);
                pButton->GetLayer(ArkGui::ArkAttrKey(ArkGui::ARK_ATTR_ENABLED))->AddStretched(pTexture, {0, 0, 116, 12});
            }
        }
    }
};

void BM_GuiFrame200Windows(benchmark::State& state) {
    GuiTree tree(state.range(0) != 0);
    tree.pRoot->GetManager()->RenderFrame(0xFF000000u);  // warm the glyph cache
    for (auto _ : state) {
        tree.pRoot->GetManager()->RenderFrame(0xFF000000u);
        benchmark::ClobberMemory();
    }
    state.SetLabel(tree.bText ? "with captions" : "no captions");
}
BENCHMARK(BM_GuiFrame200Windows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_GuiHitTest200Windows(benchmark::State& state) {
    GuiTree tree(false);
    // Argument 0: a point between the panels, so every window is tested before the root answers (the
    // worst case). Argument 1: the bottom control of the front-most panel (the last one created).
    int nX = state.range(0) ? 4 * 128 + 10 : 126;
    int nY = state.range(0) ? 260 + 4 + 18 * 13 + 5 : 100;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tree.pRoot->HitTest(nX, nY, 1, false));
    }
}
BENCHMARK(BM_GuiHitTest200Windows)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The whole mouse route of a move (conversion, hit-test, hover, state machine, delivery).
void BM_GuiMouseMoveRoute(benchmark::State& state) {
    GuiTree tree(false);
    for (auto _ : state) {
        tree.pRoot->GetManager()->MsgProc(WM_MOUSEMOVE, 0, MAKELPARAM(4 * 128 + 10, 260 + 4 + 18 * 13 + 5));
    }
}
BENCHMARK(BM_GuiMouseMoveRoute)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
