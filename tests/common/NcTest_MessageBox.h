// A message-box hook for tests: records every box shown and answers with a chosen answer.
#pragma once

#include "KX_Platform/KXPlatform_MessageBox.h"

#include <mutex>
#include <string>
#include <vector>

class ScopedMessageBoxRecorder {
public:
    explicit ScopedMessageBoxRecorder(KXPlatform::MsgBoxAnswer answer = KXPlatform::MsgBoxAnswer::Ignore);
    ~ScopedMessageBoxRecorder();
    ScopedMessageBoxRecorder(const ScopedMessageBoxRecorder&) = delete;
    ScopedMessageBoxRecorder& operator=(const ScopedMessageBoxRecorder&) = delete;

    std::vector<KXPlatform::MsgBoxRequest> Shown() const;
    size_t Count() const;
    // The text of every box shown, in order.
    std::vector<std::string> Texts() const;
    void Clear();

private:
    KXPlatform::MsgBoxAnswer m_answer;
    mutable std::mutex m_lock;
    std::vector<KXPlatform::MsgBoxRequest> m_shown;
    KXPlatform::MsgBoxHook m_previous;
};
