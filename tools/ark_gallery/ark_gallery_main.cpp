// ark_gallery: shows one of each ArkGui control, or with "--layout NAME" (repeatable) the named windows
// of the layout package. "--screenshot FILE.png" draws one frame headless into the file and exits;
// otherwise a window runs at about 30 frames per second until it is closed. "--sample" fills the
// package's windows the way the program shows them after a check, "--sample-checking" during one.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ArkGallery_Build.h"
#include "ArkGallery_Layout.h"
#include "ArkGallery_Templates.h"
#include "KX_GUI/ArkGUIManager.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXRenderer.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

namespace {

constexpr uint32_t kFrameMs = 33;

struct Options {
    std::string strShot;
    const char* szData = nullptr;
    std::vector<std::string> vecLayouts;
    ArkGallery::SampleState eSample = ArkGallery::SampleState::None;
};

// The control gallery, or the package's windows when names were given.
bool Build(ArkGui::CArkRootWnd& root, CNetChk_UtilResMgr& resources, const Options& opt) {
    root.GetManager()->InitFontTable();
    if (opt.vecLayouts.empty()) return ArkGallery::BuildGallery(root) != nullptr;
    resources.LoadTables();
    return ArkGallery::BuildTemplates(root, resources, opt.vecLayouts, opt.eSample);
}

// The fonts live in the staged data tree; look for it from here and from beside the executable.
bool EnterDataDir(const char* szGiven) {
    std::string strExe = KXPlatform::GetExecutableDir();
    const std::string candidates[] = {szGiven ? szGiven : "", ".", "data", strExe + "/../../stage/data",
                                      strExe + "/../stage/data", strExe + "/stage/data"};
    for (const std::string& dir : candidates) {
        if (dir.empty()) continue;
        std::string strFont = dir + "/resource/simhei.ttf";
        if (std::FILE* f = std::fopen(strFont.c_str(), "rb")) {
            std::fclose(f);
            return KXPlatform::SetCurrentDir(dir.c_str());
        }
    }
    return false;
}

int Screenshot(const Options& opt) {
    const std::string& strPath = opt.strShot;
    std::unique_ptr<KXRenderer::IKXRenderer> pRenderer = KXRenderer::CreateSoftwareRenderer(ArkGallery::kWidth, ArkGallery::kHeight);
    if (!pRenderer) return 1;
    KXPlatform::CKXPlatform_NullHostWindow host;
    host.Create("ark_gallery", ArkGallery::kWidth, ArkGallery::kHeight);
    ArkGui::CArkRootWnd root;
    root.CreateRoot(ArkGallery::kWidth, ArkGallery::kHeight, &host, pRenderer.get());
    CNetChk_UtilResMgr resources;
    if (!Build(root, resources, opt)) return 1;
    if (!root.GetManager()->RenderFrame(ArkGallery::kClearColour)) return 1;
    if (!pRenderer->SaveFramePng(strPath.c_str())) {
        std::fprintf(stderr, "ark_gallery: cannot write %s\n", strPath.c_str());
        return 1;
    }
    return 0;
}

int RunWindow(const Options& opt) {
    std::unique_ptr<KXPlatform::IHostWindow> pHost = KXPlatform::CreateSdlHostWindow();
    if (!pHost || !pHost->Create("ArkGui 控件展示 ark_gallery", ArkGallery::kWidth, ArkGallery::kHeight)) return 1;
    std::unique_ptr<KXRenderer::IKXRenderer> pRenderer = KXRenderer::CreateWindowRenderer(*pHost, false);
    if (!pRenderer) return 1;
    ArkGui::CArkRootWnd root;
    root.CreateRoot(ArkGallery::kWidth, ArkGallery::kHeight, pHost.get(), pRenderer.get());
    CNetChk_UtilResMgr resources;
    if (!Build(root, resources, opt)) return 1;
    pHost->Centre();
    pHost->Show(true);
    for (;;) {
        uint32_t uStart = KXPlatform::GetTickCount();
        KXPlatform::HostMessage msg;
        while (pHost->PollMessage(msg)) {
            if (msg.uMessage == WM_CLOSE || msg.uMessage == WM_QUIT) return 0;
            root.GetManager()->MsgProc(msg.uMessage, msg.wParam, msg.lParam);
        }
        if (root.GetManager()->RenderFrame(ArkGallery::kClearColour)) pRenderer->Present();
        uint32_t uSpent = KXPlatform::GetTickCount() - uStart;
        if (uSpent < kFrameMs) KXPlatform::Sleep(kFrameMs - uSpent);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            opt.strShot = argv[++i];
        } else if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
            opt.szData = argv[++i];
        } else if (std::strcmp(argv[i], "--layout") == 0 && i + 1 < argc) {
            opt.vecLayouts.push_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--sample") == 0) {
            opt.eSample = ArkGallery::SampleState::Finished;
        } else if (std::strcmp(argv[i], "--sample-checking") == 0) {
            opt.eSample = ArkGallery::SampleState::Checking;
        } else {
            std::fprintf(stderr, "usage: ark_gallery [--layout NAME]... [--sample | --sample-checking] [--screenshot FILE.png] [--data DATA_DIR]\n");
            return 2;
        }
    }
    // A relative screenshot path means the directory the user started in.
    if (!opt.strShot.empty() && opt.strShot[0] != '/') opt.strShot = KXPlatform::GetCurrentDir() + "/" + opt.strShot;
    if (!EnterDataDir(opt.szData)) std::fprintf(stderr, "ark_gallery: no resource/simhei.ttf found, text is not drawn\n");
    return opt.strShot.empty() ? RunWindow(opt) : Screenshot(opt);
}
