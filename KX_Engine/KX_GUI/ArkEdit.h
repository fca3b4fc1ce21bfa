// CArkEdit: a GBK text box with a caret, a selection, a byte limit, a numeric mode, clipboard keys,
// multi-line text and an input queue that another thread may fill.
//
// Indices (caret, anchor, selection end) are byte offsets into the text and never split a
// double-byte character.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "KX_GUI/ArkScrollBar.h"
#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

// The first byte of a GBK double-byte character, as the edit box counts characters.
inline bool IsGbkLeadByte(uint8_t u) { return u >= 0x81 && u <= 0xFE; }

constexpr uint32_t ARK_EDIT_MULTILINE = 0x1;
constexpr uint32_t ARK_EDIT_CLIPBOARD = 0x4;
constexpr uint32_t ARK_EDIT_IME_OFF = 0x8;
constexpr uint32_t ARK_EDIT_NUMERIC = 0x1000;
constexpr uint32_t ARK_EDIT_REPORT_CARET = 0x2000;

class CArkEdit : public CArkWnd {
public:
    CArkEdit();
    ~CArkEdit() override;

    const char* GetClassName() const override;
    int Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight, CArkWnd* pParent,
               const char* szFontName = nullptr, int nFontSize = 12, intptr_t nUserData = 0) override;
    int Destroy() override;

    // ---- text ----
    const std::string& GetText() const override { return m_strText; }
    void SetText(const char* szText) override;
    void SetMaxLength(int nBytes) { m_nMaxLength = nBytes; }
    int GetMaxLength() const { return m_nMaxLength; }
    void SetCaret(int nIndex);
    int GetCaret() const { return m_nCaret; }
    int GetSelAnchor() const { return m_nSelAnchor; }
    int GetSelEnd() const { return m_nSelEnd; }
    bool HasSelection() const { return m_nSelAnchor != m_nSelEnd; }
    void SetReadOnly(bool b) { m_bReadOnly = b; }
    void SetFitToWidth(bool b) { m_bFitToWidth = b; }
    void SetAcceptsLineBreaks(bool b) { m_bAcceptsLineBreaks = b; }
    void SetEnterSubmits(bool b) { m_bEnterSubmits = b; }
    void SetImeDisabled(bool b) { m_bImeDisabled = b; }
    void SetActivationNotify(bool b) { m_bActivationNotify = b; }
    void SetInputSuspended(bool b) { m_bInputSuspended = b; }
    uint32_t GetLastInputTick() const { return m_uLastInputTick; }

    // ---- input ----
    int OnChar(char ch, LParam lParam) override;
    int OnKeyDown(int nKey, LParam lParam) override;
    int OnLButtonDown(int nKeys, int nX, int nY) override;
    bool TakesKeyboard() const override { return true; }
    // Dragging in the box selects: its drag handler extends the selection instead of moving the box.
    void InitMouseHandlers() override;
    // Extends the selection from the anchor to the character boundary nearest the window-relative point.
    void SelectTo(int nX, int nY);
    // For owners that move between boxes on Tab (260): activates the next enabled, visible edit box among
    // pFrom's siblings in the order they were created (the previous one with bBackward), wrapping round.
    // Returns the box made active, or null when there is no other.
    static CArkEdit* ActivateNext(CArkWnd* pFrom, bool bBackward);
    void OnActivate(bool bActive) override;
    int OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) override;
    bool OnMouseWheel(int nKeys, int nDelta, int nX, int nY) override;
    // One printable single-byte character through the numeric, limit and width rules.
    bool DealAsciiChar(char ch);
    // Paste from the clipboard.
    void CtrlV();

    // ---- the input queue (the only part another thread may touch) ----
    void SetQueuedInput(bool b) { m_bQueuedInput = b; }
    bool QueuePush(char ch);
    bool QueuePop(char& ch);

    void Update() override;
    void Render() override;
    void DrawCaption() override {}

    CArkScrollBar* GetVScrollBar() { return m_pVScroll.get(); }
    int GetFirstLine() const { return m_nFirstLine; }

protected:
    // Editing primitives shared by typing, keys and paste.
    void DeleteSelection();
    bool InsertBytes(const std::string& strBytes, bool bCheckLimit);
    void CollapseTo(int nIndex);
    // Boundaries of the character before and after a byte index.
    int PrevCharStart(int nIndex) const;
    int NextCharEnd(int nIndex) const;
    bool InsertDoubleByte(uint8_t uLead, uint8_t uTrail);
    // Inserts text as if typed (the paste operation).
    void PasteText(const std::string& strGbk);
    void CopySelection();
    // Line helpers for multi-line edits.
    int LineStart(int nIndex) const;
    int LineEnd(int nIndex) const;
    int LineOf(int nIndex) const;
    int LineCount() const;
    void MoveVertical(int nDir, bool bExtend);
    void MoveCaret(int nIndex, bool bExtend);
    int WidestLine() const;
    void ScrollToCaret();
    int VisibleLines() const;
    // The byte index of the character boundary nearest the window-relative point; -1 without a font.
    int IndexAtPoint(int nX, int nY) const;

    std::string m_strText;
    int m_nCaret = 0;
    int m_nSelAnchor = 0;
    int m_nSelEnd = 0;
    int m_nMaxLength = -1;
    bool m_bReadOnly = false;
    bool m_bFitToWidth = false;
    std::unique_ptr<CArkScrollBar> m_pVScroll;
    int m_nScrollX = 0;   // pixels of a single line hidden on the left
    int m_nFirstLine = 0;
    uint32_t m_uLastInputTick = 0;
    bool m_bCaretLit = false;  // the caret shows in this half of its blink (Update keeps it)
    bool m_bAcceptsLineBreaks = true;
    bool m_bEnterSubmits = false;
    bool m_bImeDisabled = false;
    bool m_bActivationNotify = false;
    bool m_bInputSuspended = false;

    // Ring buffer: four blocks of kQueueBlock characters.
    static constexpr int kQueueBlock = 64;
    static constexpr int kQueueBlocks = 4;
    std::mutex m_queueLock;
    char m_acQueue[kQueueBlock * kQueueBlocks] = {};
    int m_nQueueRead = 0;
    int m_nQueueWrite = 0;
    int m_nQueueCount = 0;
    bool m_bQueuedInput = false;
};

}  // namespace ArkGui
