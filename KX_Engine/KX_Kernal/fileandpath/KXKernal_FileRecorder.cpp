// The file-access recorder.
#include "KX_Kernal/fileandpath/KXKernal_FileRecorder.h"

#include "KX_Kernal/misc/KXKernal_Lock.h"

#include <atomic>
#include <set>
#include <string>

namespace {

struct Recorder {
    CKXKernal_CriticalSection lock;
    std::FILE* pStream = nullptr;
    std::set<std::string> setSeen;
};

Recorder& TheRecorder() {
    static Recorder* pRecorder = new Recorder;  // never destroyed: files may be opened until exit
    return *pRecorder;
}

// Read without the lock so that an open costs nothing while the recorder is off.
std::atomic<bool> g_bRecording{false};

}  // namespace

void KXKernal_SetFileAccessRecorder(std::FILE* pStream) {
    Recorder& recorder = TheRecorder();
    KXKERNAL_AUTOLOCK(recorder.lock);
    recorder.pStream = pStream;
    recorder.setSeen.clear();
    g_bRecording = pStream != nullptr;
}

void KXKernal_RecordFileAccess(const char* szPath, int32_t nSize) {
    if (!g_bRecording || !szPath) return;
    std::string strPath = szPath;
    for (char& c : strPath) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    Recorder& recorder = TheRecorder();
    KXKERNAL_AUTOLOCK(recorder.lock);
    if (!recorder.pStream || !recorder.setSeen.insert(strPath).second) return;
    std::fprintf(recorder.pStream, "%s %d\n", strPath.c_str(), nSize);
    std::fflush(recorder.pStream);
}
