// Keyboard routing: hooks and their order, Escape, accelerators, the active and the modal window.
#include "GuiTest_Fixture.h"

#include <filesystem>

#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class KeyRouting : public GuiFixture {};

class COrderHook : public IArkHook {
public:
    COrderHook(std::vector<int>& vecLog, int nId, bool bConsume = false) : m_vecLog(vecLog), m_nId(nId), m_bConsume(bConsume) {}
    bool OnHookMessage(uint32_t, KXPlatform::WParam, KXPlatform::LParam) override {
        m_vecLog.push_back(m_nId);
        return m_bConsume;
    }

private:
    std::vector<int>& m_vecLog;
    int m_nId;
    bool m_bConsume;
};

TEST_F(KeyRouting, HooksRunInKeyOrderPrependedOnesFirst) {
    std::vector<int> vecLog;
    COrderHook first(vecLog, 1), front1(vecLog, 2), front2(vecLog, 3), back1(vecLog, 4), back2(vecLog, 5);
    Manager().RegisterHook(&first, {WM_KEYDOWN}, false, true);
    Manager().RegisterHook(&front1, {WM_KEYDOWN}, false, false);
    Manager().RegisterHook(&front2, {WM_KEYDOWN}, false, false);
    Manager().RegisterHook(&back1, {WM_KEYDOWN}, false, true);
    Manager().RegisterHook(&back2, {WM_KEYDOWN}, false, true);
    std::vector<int> vecKeys;
    for (const auto& kv : Manager().GetKeyProc().GetHooks(false)) vecKeys.push_back(kv.first);
    EXPECT_EQ(vecKeys, (std::vector<int>{-2, -1, 0, 1, 2}));
    Key(WM_KEYDOWN, 'A');
    EXPECT_EQ(vecLog, (std::vector<int>{3, 2, 1, 4, 5}));
    // Only the messages a hook asked for reach it.
    vecLog.clear();
    Key(WM_KEYUP, 'A');
    EXPECT_TRUE(vecLog.empty());
    Manager().AddHookMsg(&back2, WM_KEYUP, false);
    Key(WM_KEYUP, 'A');
    EXPECT_EQ(vecLog, (std::vector<int>{5}));
    Manager().UnRegisterHook(&front2, false);
    EXPECT_EQ(Manager().GetKeyProc().GetHooks(false).size(), 4u);
}

TEST_F(KeyRouting, HookMisuseIsLogged) {
    m_log.ExpectError("CArkGUIManager::RegisterHook");
    m_log.ExpectError("IArkHook 没有被注册：msg = 【258】");
    std::vector<int> vecLog;
    COrderHook stranger(vecLog, 1);
    Manager().RegisterHook(nullptr, {WM_KEYDOWN}, false, true);
    Manager().AddHookMsg(&stranger, WM_CHAR, true);
    EXPECT_EQ(m_log.Lines().size(), 2u);
}

TEST_F(KeyRouting, KeysGoToTheActiveWindowAndFiltersMayConsumeThem) {
    CRecordingWnd* pA = Make(&m_root, "a", 0, 0, 100, 100);
    CRecordingWnd* pB = Make(&m_root, "b", 200, 0, 100, 100);
    EXPECT_EQ(Key(WM_KEYDOWN, 'X'), 0);  // nobody active
    pB->Activate();
    EXPECT_TRUE(pB->IsActive());
    Key(WM_KEYDOWN, 'X');
    EXPECT_TRUE(pA->vecEvents.empty());
    ASSERT_EQ(pB->vecEvents.size(), 1u);
    EXPECT_EQ(pB->vecEvents[0], "key 88,0");
    pA->Activate();
    EXPECT_FALSE(pB->IsActive());
    EXPECT_TRUE(pA->IsActive());
    std::vector<int> vecLog;
    COrderHook eater(vecLog, 7, true);
    Manager().RegisterHook(&eater, {WM_KEYDOWN}, true, true);
    EXPECT_EQ(Key(WM_KEYDOWN, 'Y'), 1);
    EXPECT_EQ(vecLog, (std::vector<int>{7}));
    EXPECT_TRUE(pA->vecEvents.empty());
    // A disabled active window gets nothing.
    Manager().UnRegisterHook(&eater, true);
    pA->SetEnabled(false);
    Key(WM_KEYDOWN, 'Y');
    EXPECT_TRUE(pA->vecEvents.empty());
}

TEST_F(KeyRouting, EscapeIsSwallowedUnlessAllowed) {
    CRecordingWnd* pA = Make(&m_root, "a", 0, 0, 100, 100);
    pA->Activate();
    std::vector<int> vecLog;
    COrderHook watcher(vecLog, 1);
    Manager().RegisterHook(&watcher, {WM_KEYDOWN}, false, true);
    EXPECT_EQ(Key(WM_KEYDOWN, VK_ESCAPE), 0);
    EXPECT_TRUE(pA->vecEvents.empty());
    EXPECT_EQ(vecLog.size(), 1u);  // observers still see it
    Manager().GetKeyProc().SetEscapePasses(true);
    Key(WM_KEYDOWN, VK_ESCAPE);
    ASSERT_EQ(pA->vecEvents.size(), 1u);
    EXPECT_EQ(pA->vecEvents[0], "key 27,0");
}

TEST_F(KeyRouting, AcceleratorsFireOnFreshKeyDownWithModifiers) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 100, 100);
    CRecordingWnd* pTarget = Make(pPanel, "target", 0, 0, 10, 10);
    pPanel->Activate();
    Manager().GetKeyProc().AddAccelerator('S' | ARK_ACCEL_CTRL, pTarget, 42, 1);
    // Without Ctrl the key is an ordinary key.
    Key(WM_KEYDOWN, 'S');
    EXPECT_EQ(pTarget->nHotKey, -1);
    EXPECT_EQ(pPanel->vecEvents.size(), 1u);
    m_host.SetKeyDown(VK_CONTROL, true);
    Key(WM_KEYDOWN, 'S');
    EXPECT_EQ(pTarget->nHotKey, 42);
    EXPECT_EQ(pTarget->nHotKeyZ, 0);
    EXPECT_EQ(pPanel->vecEvents.size(), 1u);  // it became a command, not a key
    // Auto-repeat does not fire again.
    pTarget->nHotKey = -1;
    Key(WM_KEYDOWN, 'S', 1u | KF_REPEAT_BIT);
    EXPECT_EQ(pTarget->nHotKey, -1);
    // 'Z' also fires on key-up, with its own z-state.
    Manager().GetKeyProc().AddAccelerator('Z' | ARK_ACCEL_CTRL, pTarget, 7, 1);
    Key(WM_KEYUP, 'Z');
    EXPECT_EQ(pTarget->nHotKey, 7);
    EXPECT_EQ(pTarget->nHotKeyZ, 2);
}

TEST_F(KeyRouting, LocalAcceleratorNeedsItsTargetInsideTheFocusWindow) {
    CRecordingWnd* pModal = Make(&m_root, "modal", 0, 0, 100, 100, ARK_STYLE_MODAL);
    CRecordingWnd* pInside = Make(pModal, "inside", 0, 0, 10, 10);
    CRecordingWnd* pOutside = Make(&m_root, "outside", 200, 200, 10, 10);
    Manager().GetKeyProc().AddAccelerator(VK_F1, pOutside, 1, 0);
    Manager().GetKeyProc().AddAccelerator((VK_F1 + 1), pInside, 2, 0);
    Key(WM_KEYDOWN, VK_F1);
    EXPECT_EQ(pOutside->nHotKey, -1);
    ASSERT_EQ(pModal->vecEvents.size(), 1u);  // the modal window got the key itself
    Key(WM_KEYDOWN, (VK_F1 + 1));
    EXPECT_EQ(pInside->nHotKey, 2);
    // A destroyed target takes its accelerators with it.
    pInside->Destroy();
    delete pInside;
    Key(WM_KEYDOWN, (VK_F1 + 1));
    EXPECT_EQ(pModal->vecEvents.size(), 2u);
}

}  // namespace
