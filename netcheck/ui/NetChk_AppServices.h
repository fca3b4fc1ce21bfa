// What the net-check windows ask of the application. The windows live in the netcheck layer and may not
// know the application object, so the application registers itself here at start-up.
#pragma once

#include <cstdint>

class CNetChk_CommandMgr;
class CNetChk_UtilResMgr;
namespace ArkGui {
class CArkRootWnd;
}

// What the net-check windows ask of the application; CNetChk_Global implements it.
class INetChkAppServices {
public:
    virtual ~INetChkAppServices() = default;
    virtual void StartCheck(int nStep) = 0;     // a run from step nStep
    virtual void StopCheck() = 0;
    virtual void DestroyMainWindow() = 0;      // message 2 (destroy) sent synchronously to the host window
    virtual uint32_t GetAppTick() const = 0;   // the application clock the main loop keeps, ms
    virtual bool StartUpload() = 0;            // the report upload (may log "not available" until it exists)

    // The root of the window tree the windows are created under; null until it exists.
    virtual ArkGui::CArkRootWnd* GetRootWnd() = 0;
    // The string table and the control fonts; never null once the application is set up.
    virtual CNetChk_UtilResMgr* GetResMgr() = 0;
    // The check engine, read by the stop button's log line (current step, mode, catalogue); may be null.
    virtual const CNetChk_CommandMgr* GetCommandMgr() const = 0;
};

// The application registers itself before it creates any net-check window and clears the pointer (null)
// before it goes away. Not owned.
void SetNetChkAppServices(INetChkAppServices* p);
INetChkAppServices* GetNetChkAppServices();
