#include "common/NcTest_MessageBox.h"

ScopedMessageBoxRecorder::ScopedMessageBoxRecorder(KXPlatform::MsgBoxAnswer answer) : m_answer(answer) {
    m_previous = KXPlatform::SetMessageBoxHook([this](const KXPlatform::MsgBoxRequest& request) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_shown.push_back(request);
        return m_answer;
    });
}

ScopedMessageBoxRecorder::~ScopedMessageBoxRecorder() { KXPlatform::SetMessageBoxHook(m_previous); }

std::vector<KXPlatform::MsgBoxRequest> ScopedMessageBoxRecorder::Shown() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_shown;
}

size_t ScopedMessageBoxRecorder::Count() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_shown.size();
}

std::vector<std::string> ScopedMessageBoxRecorder::Texts() const {
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<std::string> texts;
    for (const auto& request : m_shown) texts.push_back(request.strText);
    return texts;
}

void ScopedMessageBoxRecorder::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_shown.clear();
}
