// The program's own frame: the main check window made from the staged layout package, drawn with the
// software renderer at 640 x 520 (what a machine without a graphics device draws with). Measures a
// whole redraw, and a frame in which nothing changed (drawn or skipped as the toolkit decides).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXRenderer.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 520;
constexpr uint32_t kClear = 0xFF000000u;

struct MainWindowTree {
    KXPlatform::CKXPlatform_NullHostWindow host;
    std::unique_ptr<KXRenderer::IKXRenderer> pRenderer;
    std::unique_ptr<ArkGui::CArkRootWnd> pRoot;
    bool bReady = false;

    MainWindowTree() {
        // The staged data tree lies beside the build's bench folder.
        const std::string strData = KXPlatform::GetExecutableDir() + "/../stage/data";
        if (!KXPlatform::SetCurrentDir(strData.c_str())) return;
        pRenderer = KXRenderer::CreateSoftwareRenderer(kWidth, kHeight);
        host.Create("bench", kWidth, kHeight);
        pRoot = std::make_unique<ArkGui::CArkRootWnd>();
        pRoot->CreateRoot(kWidth, kHeight, &host, pRenderer.get());
        ArkGui::CArkGUIManager* pManager = pRoot->GetManager();
        if (!pManager->InitFontTable() || !pManager->LoadLayout("interface/netchkroot.auf")) return;
        auto* pMain = new ArkGui::CArkWnd();
        pMain->SetDeleteWithParent(true);
        bReady = pMain->CreateFromTemplate("NetChkMainWnd", pRoot.get()) == 0;
    }
};

void BM_MainWindowWholeRedraw(benchmark::State& state) {
    MainWindowTree tree;
    if (!tree.bReady) {
        state.SkipWithError("no staged data tree with the layout package: build first");
        return;
    }
    ArkGui::CArkGUIManager* pManager = tree.pRoot->GetManager();
    pManager->RenderFrame(kClear);  // images decoded, glyphs cached
    for (auto _ : state) {
        tree.pRenderer->BeginFrame(kClear);
        pManager->Render();
        tree.pRenderer->EndFrame();
        tree.pRenderer->Present();
    }
}
BENCHMARK(BM_MainWindowWholeRedraw)->Unit(benchmark::kMillisecond);

void BM_MainWindowUnchangedFrame(benchmark::State& state) {
    MainWindowTree tree;
    if (!tree.bReady) {
        state.SkipWithError("no staged data tree with the layout package: build first");
        return;
    }
    ArkGui::CArkGUIManager* pManager = tree.pRoot->GetManager();
    pManager->RenderFrame(kClear);
    for (auto _ : state) {
        if (pManager->RenderFrame(kClear)) tree.pRenderer->Present();
    }
}
BENCHMARK(BM_MainWindowUnchangedFrame)->Unit(benchmark::kMillisecond);

}  // namespace
