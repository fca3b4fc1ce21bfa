// CArkEdit: typed characters, the numeric rules, edit keys, the clipboard and the input queue.
#include <algorithm>
#include <cctype>

#include "KX_GUI/ArkEdit.h"
#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkWatch.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Renderer/KXFont.h"

namespace ArkGui {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Full-width digits 0xA3B0..0xA3B9 stand for '0'..'9' in a numeric box.
char FullWidthDigit(uint16_t uCode) {
    return (uCode >= 0xA3B0 && uCode <= 0xA3B9) ? static_cast<char>('0' + (uCode - 0xA3B0)) : 0;
}

constexpr int kTrailAttempts = 10;
constexpr int kQueueAttempts = 31;

}  // namespace

bool CArkEdit::InsertDoubleByte(uint8_t uLead, uint8_t uTrail) {
    uint16_t uCode = static_cast<uint16_t>((uLead << 8) | uTrail);
    if (m_uStyle & ARK_EDIT_NUMERIC) {
        char cDigit = FullWidthDigit(uCode);
        return cDigit ? DealAsciiChar(cDigit) : false;
    }
    DeleteSelection();
    std::string strBytes{static_cast<char>(uLead), static_cast<char>(uTrail)};
    return InsertBytes(strBytes, true);
}

int CArkEdit::OnChar(char ch, LParam lParam) {
    if (m_bReadOnly || !m_pManager) return 0;
    CArkGUIManager* pManager = m_pManager;
    CArkWatch<> self(this);  // the clipboard keys and the parent may free this box
    m_uLastInputTick = pManager->GetTick();
    uint8_t u = static_cast<uint8_t>(ch);
    if (IsGbkLeadByte(u)) {
        // The trail byte is the next character message in the queue.
        KXPlatform::IHostWindow* pHost = pManager->GetHostWindow();
        KXPlatform::HostMessage msg;
        bool bGot = false;
        for (int i = 0; i < kTrailAttempts && pHost && !bGot; ++i) bGot = pHost->PeekMessage(WM_CHAR, msg);
        if (!bGot) return 0;
        InsertDoubleByte(u, static_cast<uint8_t>(msg.wParam & 0xFF));
    } else if (ch == 1) {
        m_nSelAnchor = 0;
        m_nSelEnd = m_nCaret = static_cast<int>(m_strText.size());
        NotifyParent(ARK_NOTIFY_EDIT_CHAR, ch, lParam);
        return 1;
    } else if ((m_uStyle & ARK_EDIT_CLIPBOARD) && (ch == 3 || ch == 22 || ch == 24)) {
        if (ch == 3) CopySelection();
        if (ch == 22) CtrlV();
        if (ch == 24) {
            CopySelection();
            DeleteSelection();
        }
    } else if (u >= 32) {
        DealAsciiChar(ch);
    }
    if (!self) return 1;
    if (m_uStyle & ARK_EDIT_REPORT_CARET) {
        int nLine = LineOf(m_nCaret);
        KXRenderer::CKXFont* pFont = GetFont();
        int nLineH = pFont ? pFont->GetLineHeight() : 0;
        int nStart = LineStart(m_nCaret);
        pManager->ReportCaret(m_nX + 3 - m_nScrollX + MeasureText(m_strText.c_str() + nStart, m_nCaret - nStart),
                              m_nY + 3 + (nLine - m_nFirstLine) * nLineH);
    }
    NotifyParent(ARK_NOTIFY_EDIT_CHAR, static_cast<uint8_t>(ch), lParam);
    return 1;
}

bool CArkEdit::DealAsciiChar(char ch) {
    if (m_bInputSuspended) return true;
    if (m_bQueuedInput && !QueuePop(ch)) {
        ArkLog(WL_ERROR, M_Logic, "%s queue empty", "ArkGui::CArkEdit::DealAsciiChar");
        return false;
    }
    if (m_uStyle & ARK_EDIT_NUMERIC) {
        bool bEmpty = m_strText.empty();
        if (IsDigit(ch)) {
            if (m_nCaret < static_cast<int>(m_strText.size()) && m_strText[static_cast<size_t>(m_nCaret)] == '-') return false;
        } else if (ch == '+' || ch == '-') {
            if (m_nCaret != 0 || !(bEmpty || IsDigit(m_strText[0]))) return false;
        } else if (ch == '.') {
            if (m_strText.find('.') != std::string::npos) return false;
            if (m_nCaret == 0 || !IsDigit(m_strText[static_cast<size_t>(m_nCaret - 1)])) return false;
        } else {
            return false;
        }
    }
    DeleteSelection();
    return InsertBytes(std::string(1, ch), true);
}

int CArkEdit::OnKeyDown(int nKey, LParam lParam) {
    if (m_bReadOnly || !m_pManager) return 0;
    CArkGUIManager* pManager = m_pManager;
    CArkWatch<> self(this);  // the parent may free this box when it hears of a key
    bool bShift = pManager->IsKeyDown(VK_SHIFT);
    bool bCtrl = pManager->IsKeyDown(VK_CONTROL);
    bool bMulti = (m_uStyle & ARK_EDIT_MULTILINE) != 0;
    switch (nKey) {
        case VK_BACK:
            if (HasSelection()) DeleteSelection();
            else if (m_nCaret > 0) {
                int nFrom = PrevCharStart(m_nCaret);
                m_strText.erase(static_cast<size_t>(nFrom), static_cast<size_t>(m_nCaret - nFrom));
                CollapseTo(nFrom);
            }
            break;
        case VK_DELETE:
            if (HasSelection()) DeleteSelection();
            else if (m_nCaret < static_cast<int>(m_strText.size())) {
                m_strText.erase(static_cast<size_t>(m_nCaret), static_cast<size_t>(NextCharEnd(m_nCaret) - m_nCaret));
                CollapseTo(m_nCaret);
            }
            break;
        case VK_LEFT: MoveCaret(m_nCaret > 0 ? PrevCharStart(m_nCaret) : 0, bShift); break;
        case VK_RIGHT: MoveCaret(NextCharEnd(m_nCaret), bShift); break;
        case VK_HOME: MoveCaret(bMulti ? LineStart(m_nCaret) : 0, bShift); break;
        case VK_END: MoveCaret(bMulti ? LineEnd(m_nCaret) : static_cast<int>(m_strText.size()), bShift); break;
        case VK_UP:
            if (bCtrl) NotifyParent(ARK_NOTIFY_EDIT_CTRL_UP, 0, 0);
            else if (bMulti) MoveVertical(-1, bShift);
            break;
        case VK_DOWN:
            if (bCtrl) NotifyParent(ARK_NOTIFY_EDIT_CTRL_DOWN, 0, 0);
            else if (bMulti) MoveVertical(1, bShift);
            break;
        case VK_TAB: NotifyParent(ARK_NOTIFY_EDIT_TAB, 0, 0); break;
        case VK_RETURN:
            if (bMulti && m_bAcceptsLineBreaks) {
                if (bCtrl != m_bEnterSubmits) {
                    NotifyParent(ARK_NOTIFY_EDIT_SUBMIT, 0, 0);
                } else {
                    DeleteSelection();
                    InsertBytes(std::string(1, '\n'), false);  // the byte limit does not apply to line breaks
                }
            } else {
                NotifyParent(ARK_NOTIFY_EDIT_SUBMIT, 0, 0);
            }
            break;
        default: break;
    }
    if (!self) return 1;
    NotifyParent(ARK_NOTIFY_KEY, nKey, lParam);
    if (self) NotifyParent(ARK_NOTIFY_KEY_AFTER, nKey, lParam);
    return 1;
}

void CArkEdit::CopySelection() {
    KXPlatform::IHostWindow* pHost = m_pManager ? m_pManager->GetHostWindow() : nullptr;
    if (!pHost || !HasSelection()) return;
    int nFrom = std::min(m_nSelAnchor, m_nSelEnd), nTo = std::max(m_nSelAnchor, m_nSelEnd);
    pHost->SetClipboardText(m_strText.substr(static_cast<size_t>(nFrom), static_cast<size_t>(nTo - nFrom)));
}

void CArkEdit::CtrlV() {
    KXPlatform::IHostWindow* pHost = m_pManager ? m_pManager->GetHostWindow() : nullptr;
    std::string strText;
    if (!pHost || !pHost->GetClipboardText(strText)) {
        ArkLog(WL_ERROR, M_Logic, "%s CF_TEXT szText == NULL", "ArkGui::CArkEdit::CtrlV");
        return;
    }
    PasteText(strText);
}

void CArkEdit::PasteText(const std::string& strGbk) {
    // As typed: a character the rules refuse is dropped and the next one is tried (a single byte may
    // still fit where a double-byte character did not).
    bool bMulti = (m_uStyle & ARK_EDIT_MULTILINE) != 0;
    for (size_t i = 0; i < strGbk.size(); ++i) {
        uint8_t u = static_cast<uint8_t>(strGbk[i]);
        if (IsGbkLeadByte(u) && i + 1 < strGbk.size()) {
            InsertDoubleByte(u, static_cast<uint8_t>(strGbk[i + 1]));
            ++i;
        } else if (u == '\n' && bMulti && m_bAcceptsLineBreaks) {
            DeleteSelection();
            InsertBytes("\n", false);
        } else if (u >= 32 && !IsGbkLeadByte(u)) {
            DealAsciiChar(static_cast<char>(u));
        }
    }
}

bool CArkEdit::QueuePush(char ch) {
    std::lock_guard<std::mutex> lock(m_queueLock);
    if (m_nQueueCount >= kQueueBlock * kQueueBlocks) return false;
    m_acQueue[m_nQueueWrite] = ch;
    m_nQueueWrite = (m_nQueueWrite + 1) % (kQueueBlock * kQueueBlocks);
    ++m_nQueueCount;
    return true;
}

bool CArkEdit::QueuePop(char& ch) {
    for (int nAttempt = 1;; ++nAttempt) {
        {
            std::lock_guard<std::mutex> lock(m_queueLock);
            if (m_nQueueCount > 0) {
                ch = m_acQueue[m_nQueueRead];
                m_nQueueRead = (m_nQueueRead + 1) % (kQueueBlock * kQueueBlocks);
                if (--m_nQueueCount == 0) m_nQueueRead = m_nQueueWrite = 0;
                return true;
            }
        }
        if (nAttempt >= kQueueAttempts) {
            ArkLog(WL_ERROR, M_Logic, "%s TimeOut!", "ArkGui::CArkEdit::QueuePop");
            return false;
        }
        KXPlatform::Sleep(1);
    }
}

}  // namespace ArkGui
