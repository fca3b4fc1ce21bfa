// Catalogue reads and dump writes on the file system.
#include "server/NcServer_Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

int NcOpenCatalogue(const std::string& strDir, const std::string& strName, uint64_t* pSize) {
    const int nDir = open(strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (nDir < 0) return -1;
    const int nFd = openat(nDir, strName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    close(nDir);
    if (nFd < 0) return -1;
    struct stat st;
    if (fstat(nFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(nFd);
        return -1;
    }
    *pSize = static_cast<uint64_t>(st.st_size);
    return nFd;
}

CNcDumpWriter::Result CNcDumpWriter::Begin(const std::string& strDir, const std::string& strName) {
    Abort();
    m_strFinalPath = strDir + "/" + strName;
    struct stat st;
    if (lstat(m_strFinalPath.c_str(), &st) == 0) return Result::Exists;
    std::string strTemplate = strDir + "/.upload-XXXXXX";
    std::vector<char> buf(strTemplate.begin(), strTemplate.end());
    buf.push_back('\0');
    m_nFd = mkostemp(buf.data(), O_CLOEXEC);
    if (m_nFd < 0) return Result::Failed;
    fchmod(m_nFd, 0640);  // mkostemp makes it private to the server's user; the support group reads dumps
    m_strTempPath = buf.data();
    m_uWritten = 0;
    return Result::Ok;
}

bool CNcDumpWriter::Write(const char* pData, size_t uSize) {
    if (m_nFd < 0) return false;
    while (uSize > 0) {
        const ssize_t n = write(m_nFd, pData, uSize);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        pData += n;
        uSize -= static_cast<size_t>(n);
        m_uWritten += static_cast<uint64_t>(n);
    }
    return true;
}

CNcDumpWriter::Result CNcDumpWriter::Commit() {
    if (m_nFd < 0) return Result::Failed;
    // On disk before it has a name: a dump that is listed is a whole dump, even after a power cut.
    const bool bSynced = fsync(m_nFd) == 0;
    close(m_nFd);
    m_nFd = -1;
    Result result = Result::Failed;
    if (bSynced) {
        if (link(m_strTempPath.c_str(), m_strFinalPath.c_str()) == 0) {
            result = Result::Ok;
        } else if (errno == EEXIST) {
            result = Result::Exists;
        }
    }
    unlink(m_strTempPath.c_str());
    m_strTempPath.clear();
    return result;
}

void CNcDumpWriter::Abort() {
    if (m_nFd >= 0) {
        close(m_nFd);
        m_nFd = -1;
    }
    if (!m_strTempPath.empty()) {
        unlink(m_strTempPath.c_str());
        m_strTempPath.clear();
    }
}
