// Rich text: laying out a 4 KB markup text (fixed-advance font, and a window measuring with its
// FreeType fonts), and a steady frame of it (which must make no FreeType call).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRichText.h"
#include "KX_GUI/ArkRichWnd.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXFont.h"
#include "KX_Renderer/KXRenderer.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 520;
constexpr size_t kMarkupBytes = 4096;

// A text like the check windows show: colours, links, icons, underline, blink, Chinese and Latin.
std::string MakeMarkup() {
    const char* const apPieces[] = {
        "#R网络延迟偏高#n", " ping 12 ms ", "#c(12,1)查看详情#c(-1)", "#u下划线文字#u", "#I005pick#I",
        "#r#G(1)当前：", "#c00FF00ABCDEFG#n", "#b闪烁#n", "#12", "#O101data@@@打开#c(-1)#O", "#E(FF303030)#P7hover#P7-",
        "#Y丢包率 0%#n#r",
    };
    std::string s;
    for (size_t i = 0; s.size() < kMarkupBytes; ++i) s += apPieces[i % (sizeof(apPieces) / sizeof(apPieces[0]))];
    s.resize(kMarkupBytes);
    return s;
}

void BM_RichTextLayout4K(benchmark::State& state) {
    const std::string strMarkup = MakeMarkup();
    ArkGui::CArkRichFixedOwner owner;
    ArkGui::CArkRichText text;
    for (auto _ : state) {
        text.Clear();
        text.SetWrapWidth(400);
        text.ParseText(&owner, strMarkup.c_str());
        text.FinishLine(&owner, false);
        benchmark::DoNotOptimize(text.GetContentHeight());
    }
    state.counters["atoms"] = static_cast<double>(text.GetAtoms().size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kMarkupBytes));
}
BENCHMARK(BM_RichTextLayout4K)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// 12,000 link codes that all end at one terminator far behind them: each code must not search the
// whole rest of the text again (range(0): 0 for #O codes, 1 for #p codes).
void BM_RichTextSharedTerminator(benchmark::State& state) {
    const bool bPosition = state.range(0) != 0;
    std::string strMarkup;
    for (int i = 0; i < 12000; ++i) strMarkup += bPosition ? "#pid1x2y3a" : "#O123d@@@a";
    strMarkup += bPosition ? "#c(-1)#p" : "#c(-1)#O";
    ArkGui::CArkRichFixedOwner owner;
    ArkGui::CArkRichText text;
    for (auto _ : state) {
        text.Clear();
        text.SetWrapWidth(400);
        text.ParseText(&owner, strMarkup.c_str());
        benchmark::DoNotOptimize(text.GetLinkCount());
    }
    state.counters["links"] = static_cast<double>(text.GetLinkCount());
}
BENCHMARK(BM_RichTextSharedTerminator)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true);

// A root with the software renderer, the font table of the staged data tree and one rich window.
struct RichScene {
    KXPlatform::CKXPlatform_NullHostWindow host;
    std::unique_ptr<KXRenderer::IKXRenderer> pRenderer;
    std::unique_ptr<ArkGui::CArkRootWnd> pRoot;
    ArkGui::CArkRichWnd* pRich = nullptr;
    bool bFonts = false;

    RichScene() {
        pRenderer = KXRenderer::CreateSoftwareRenderer(kWidth, kHeight);
        host.Create("bench", kWidth, kHeight);
        pRoot = std::make_unique<ArkGui::CArkRootWnd>();
        pRoot->CreateRoot(kWidth, kHeight, &host, pRenderer.get());
        std::string strData = KXPlatform::GetExecutableDir() + "/../stage/data";
        bFonts = KXPlatform::SetCurrentDir(strData.c_str()) && pRoot->GetManager()->InitFontTable();
        pRich = new ArkGui::CArkRichWnd();
        pRich->SetDeleteWithParent(true);
        pRich->Create("", ArkGui::ARK_RICH_SCROLLBAR, 10, 10, 410, 500, pRoot.get(), "黑体", 12);
        // The icons of the markup, made here rather than read from image files.
        std::vector<uint32_t> vecPixels(16 * 16, 0xFF40A0E0u);
        for (int nIcon : {5, 12}) pRich->SetIconImage(nIcon, pRenderer->CreateTexture(16, 16, vecPixels.data()));
    }
};

void BM_RichWndSetText4K(benchmark::State& state) {
    RichScene scene;
    if (!scene.bFonts || !scene.pRich->GetFont()) {
        state.SkipWithError("no fonts: build the stage_data target first");
        return;
    }
    const std::string strMarkup = MakeMarkup();
    scene.pRich->SetText(strMarkup.c_str());  // rasterises every character once
    for (auto _ : state) {
        scene.pRich->SetText(strMarkup.c_str());
        benchmark::DoNotOptimize(scene.pRich->GetRichText().GetContentHeight());
    }
    state.counters["atoms"] = static_cast<double>(scene.pRich->GetRichText().GetAtoms().size());
}
BENCHMARK(BM_RichWndSetText4K)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_RichWndSteadyFrame(benchmark::State& state) {
    RichScene scene;
    if (!scene.bFonts || !scene.pRich->GetFont()) {
        state.SkipWithError("no fonts: build the stage_data target first");
        return;
    }
    scene.pRich->SetText(MakeMarkup().c_str());
    scene.pRoot->GetManager()->RenderFrame(0xFF000000u);  // warm the glyph cache and the images
    const uint64_t uCallsBefore = KXRenderer::CKXFont::GetFreeTypeCallCount();
    for (auto _ : state) {
        scene.pRoot->GetManager()->RenderFrame(0xFF000000u);
        benchmark::ClobberMemory();
    }
    const uint64_t uCalls = KXRenderer::CKXFont::GetFreeTypeCallCount() - uCallsBefore;
    state.counters["freetype_calls"] = static_cast<double>(uCalls);
    if (uCalls != 0) state.SkipWithError("a steady frame made FreeType calls");
}
BENCHMARK(BM_RichWndSteadyFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
