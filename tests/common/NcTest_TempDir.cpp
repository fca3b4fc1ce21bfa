#include "common/NcTest_TempDir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

ScopedTempDir::ScopedTempDir(bool bEnter) {
    std::random_device rd;
    const fs::path base = fs::temp_directory_path();
    for (;;) {
        std::ostringstream name;
        name << "nctest_" << std::hex << rd() << rd();
        const fs::path candidate = base / name.str();
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            m_strPath = candidate.generic_string();  // "/" separates, as in the paths the program makes
            break;
        }
    }
    if (bEnter) {
        m_strPreviousDir = fs::current_path().string();
        fs::current_path(m_strPath);
    }
}

ScopedTempDir::~ScopedTempDir() {
    std::error_code ec;
    if (!m_strPreviousDir.empty()) fs::current_path(m_strPreviousDir, ec);
    fs::remove_all(m_strPath, ec);
}

void WriteTestFile(const std::string& path, const std::string& bytes) {
    const fs::path p(path);
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadTestFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string NcTestFileUrl(const std::string& strPath) {
    return (!strPath.empty() && strPath[0] == '/' ? "file://" : "file:///") + strPath;
}
