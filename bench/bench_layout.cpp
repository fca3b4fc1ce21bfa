// Loading the layout package and creating the main window from it, from interface.wdf and from loose
// files. Runs on the shipped package of the staged tree when it holds "NetChkMainWnd"; otherwise on a
// generated package of the same size (about thirty controls with images) in a temporary folder.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkLayoutPackage.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/fileandpath/KXKernal_PackWriter.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXRenderer.h"

namespace {

const char* const kRoot = "interface/netchkroot.auf";

ArkGui::CArkLayoutTemplate* AddWnd(ArkGui::CArkLayoutTemplate& parent, const std::string& strName, const char* szClass,
                                   int x, int y, int w, int h, const char* szImage) {
    ArkGui::CArkLayoutTemplate* p = parent.AddChild(strName);
    p->SetString(ArkGui::ARK_LS_CLASS, szClass);
    p->SetString(ArkGui::ARK_LS_CAPTION, strName);
    p->SetString(ArkGui::ARK_LS_FONT, "\xBA\xDA\xCC\xE5");  // 黑体
    p->SetString(ArkGui::ARK_LS_IMAGE1, szImage);
    p->Body() = {0, x, y, w, h, 0, 14, 0, 0, 0};
    return p;
}

// A main window like the tool's: background, progress bar, labels, readings, buttons with four states.
void WriteGeneratedPackage(const std::string& strDir) {
    std::filesystem::create_directories(strDir + "/interface/art");
    auto pRenderer = KXRenderer::CreateSoftwareRenderer(8, 8);
    const char* aszArt[] = {"bg", "btn_n", "btn_o", "btn_d", "btn_x", "bar", "bar_bg", "panel"};
    for (const char* sz : aszArt) {
        int w = std::string(sz) == "bg" ? 640 : 96, h = std::string(sz) == "bg" ? 520 : 32;
        std::vector<uint32_t> px(static_cast<size_t>(w * h), 0xFF203040u);
        KXRenderer::SavePixelsPng((strDir + "/interface/art/" + sz + ".png").c_str(), w, h, px);
    }
    ArkGui::CArkLayoutTemplate main;
    main.SetString(ArkGui::ARK_LS_NAME, "NetChkMainWnd");
    main.SetString(ArkGui::ARK_LS_CLASS, "CArkWnd");
    main.SetString(ArkGui::ARK_LS_IMAGE1, "interface/art/bg.png");
    main.Body() = {0, 0, 0, 640, 520, 0, 14, 0, 0, 0};
    AddWnd(main, "ProgressBar", "CArkProgress", 20, 60, 600, 20, "interface/art/bar_bg.png");
    for (int i = 0; i < 12; ++i) {
        AddWnd(main, "Label" + std::to_string(i), "CArkWnd", 20 + (i % 3) * 200, 100 + (i / 3) * 40, 180, 30,
               "interface/art/panel.png");
    }
    for (const char* sz : {"ResultContWnd", "LagContWnd", "LossContWnd", "AdviceWnd"}) {
        AddWnd(main, sz, "CArkRichWnd", 20, 300, 600, 40, "");
    }
    for (const char* sz : {"StopchkBtn", "RechkBtn", "UploadRptBtn", "CloseBtn", "MinBtn"}) {
        ArkGui::CArkLayoutTemplate* p = AddWnd(main, sz, "CArkButton", 20, 460, 96, 32, "interface/art/btn_n.png");
        p->SetString(ArkGui::ARK_LS_IMAGE2, "interface/art/btn_x.png");
        ArkGui::ArkLayoutEntry entry;
        for (int nState : {4, 5}) {
            ArkGui::ArkLayoutLayer layer;
            layer.anHead[0] = nState;
            ArkGui::ArkLayoutQuad q;
            q.uImage = p->AddString(nState == 4 ? "interface/art/btn_o.png" : "interface/art/btn_d.png");
            q.nLast = 1;
            layer.vecQuads.push_back(q);
            entry.vecLayers.push_back(layer);
        }
        p->Entries().push_back(entry);
    }
    ArkGui::CArkLayoutTemplate* pMid = AddWnd(main, "StepPanel", "CArkMiddlewareWnd", 20, 380, 600, 60, "");
    for (int i = 0; i < 4; ++i) AddWnd(*pMid, "Step" + std::to_string(i), "CArkWnd", i * 150, 0, 140, 24, "");

    const std::string strRootBytes = ArkGui::WriteLayoutRoot({"NetChkMainWnd"});
    const std::string strMainBytes = ArkGui::WriteLayoutComponent(main);
    std::FILE* f = std::fopen((strDir + "/" + kRoot).c_str(), "wb");
    std::fwrite(strRootBytes.data(), 1, strRootBytes.size(), f);
    std::fclose(f);
    f = std::fopen((strDir + "/interface/netchkroot.NetChkMainWnd.auc").c_str(), "wb");
    std::fwrite(strMainBytes.data(), 1, strMainBytes.size(), f);
    std::fclose(f);
    CKXKernal_PackWriter writer;
    KXPlatform::ListFilesRecursive((strDir + "/interface").c_str(), [&](const std::string& strRel) {
        writer.AddFile(strRel, strDir + "/interface/" + strRel);
    });
    writer.Write((strDir + "/interface.wdf").c_str(), false);
}

// Enters the staged data tree when its package has the main window, else a generated one.
const char* EnterData() {
    static const char* szWhich = nullptr;
    if (szWhich) return szWhich;
    std::string strStage = KXPlatform::GetExecutableDir() + "/../stage/data";
    if (KXPlatform::SetCurrentDir(strStage.c_str())) {
        ArkGui::CArkLayoutPackage package;
        if (package.Load(kRoot) && package.FindTemplate("NetChkMainWnd")) return szWhich = "shipped";
    }
    // Removed when the program ends.
    static struct TempDir {
        std::string strPath = std::filesystem::temp_directory_path().string() + "/bench_layout_" +
                              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
        ~TempDir() {
            std::error_code ec;
            std::filesystem::remove_all(strPath, ec);
        }
    } dir;
    WriteGeneratedPackage(dir.strPath);
    KXPlatform::SetCurrentDir(dir.strPath.c_str());
    return szWhich = "generated";
}

// A 640 x 520 tree on the software renderer, as the program builds it, without a display.
struct BenchTree {
    KXPlatform::CKXPlatform_NullHostWindow host;
    std::unique_ptr<KXRenderer::IKXRenderer> pRenderer;
    ArkGui::CArkRootWnd root;
    BenchTree() {
        host.Create("bench", 640, 520);
        pRenderer = KXRenderer::CreateSoftwareRenderer(640, 520);
        root.CreateRoot(640, 520, &host, pRenderer.get());
    }
};

void BM_LoadLayoutAndCreateMainWindow(benchmark::State& state) {
    for (int nModule = 0; nModule < M_MODULE_COUNT; ++nModule) {
        CArkLogger::Instance().SetModuleConsoleLevel(nModule, WL_LEVEL_COUNT);
    }
    const char* szWhich = EnterData();
    SetReadPackFirst(state.range(0) == 0);
    BenchTree tree;
    ArkGui::CArkRootWnd& root = tree.root;
    root.GetManager()->InitFontTable();
    size_t nWindows = 0;
    for (auto _ : state) {
        if (!root.GetManager()->LoadLayout(kRoot)) {
            state.SkipWithError("the layout root does not load");
            break;
        }
        ArkGui::CArkWnd main;
        if (main.CreateFromTemplate("NetChkMainWnd", &root) != 0) {
            state.SkipWithError("NetChkMainWnd cannot be created");
            break;
        }
        nWindows = root.GetManager()->GetLiveCount();
        main.Destroy();
    }
    state.SetLabel(std::string(szWhich) + (state.range(0) == 0 ? ", pack first" : ", disk first") + ", " +
                   std::to_string(nWindows) + " windows");
    SetReadPackFirst(true);
}
BENCHMARK(BM_LoadLayoutAndCreateMainWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The two halves apart: reading and parsing the package, and creating the window (its images) from it.
void BM_LoadLayoutOnly(benchmark::State& state) {
    EnterData();
    ArkGui::CArkLayoutPackage package;
    for (auto _ : state) benchmark::DoNotOptimize(package.Load(kRoot));
}
BENCHMARK(BM_LoadLayoutOnly)->Unit(benchmark::kMicrosecond);

void BM_CreateMainWindowOnly(benchmark::State& state) {
    EnterData();
    BenchTree tree;
    ArkGui::CArkRootWnd& root = tree.root;
    root.GetManager()->LoadLayout(kRoot);
    for (auto _ : state) {
        ArkGui::CArkWnd main;
        main.CreateFromTemplate("NetChkMainWnd", &root);
        main.Destroy();
    }
}
BENCHMARK(BM_CreateMainWindowOnly)->Unit(benchmark::kMillisecond);

// Creation with every image already decoded: a first window keeps the textures the renderer shares.
void BM_CreateMainWindowImagesKept(benchmark::State& state) {
    EnterData();
    BenchTree tree;
    ArkGui::CArkRootWnd& root = tree.root;
    root.GetManager()->LoadLayout(kRoot);
    ArkGui::CArkWnd keeper;
    keeper.CreateFromTemplate("NetChkMainWnd", &root);
    for (auto _ : state) {
        ArkGui::CArkWnd main;
        main.CreateFromTemplate("NetChkMainWnd", &root);
        main.Destroy();
    }
}
BENCHMARK(BM_CreateMainWindowImagesKept)->Unit(benchmark::kMicrosecond);

}  // namespace
