// A virtual X server for one test, and the X tools the test drives the program's window with.
#pragma once

#include <sys/types.h>

#include <string>

class ScopedXvfb {
public:
    // Starts Xvfb on a display number it picks itself (a free one); Display() is "" when it failed.
    ScopedXvfb();
    ~ScopedXvfb();
    ScopedXvfb(const ScopedXvfb&) = delete;
    ScopedXvfb& operator=(const ScopedXvfb&) = delete;

    const std::string& Display() const { return m_strDisplay; }
    // Runs a shell command line with DISPLAY set to this server; its standard output, trimmed.
    std::string Run(const std::string& strCommand) const;

private:
    pid_t m_pid = -1;
    std::string m_strDisplay;
};

// Window rectangle of a template child in the staged layout package ("NetChkMainWnd/RechkBtn"), read
// with nctool layout dump; false when the package or the window is not there.
bool FindLayoutRect(const std::string& strPath, int& nX, int& nY, int& nW, int& nH);

// Mean absolute channel difference of two PNG files of the same size, and the share of pixels whose
// largest channel difference exceeds nThreshold. False when either file cannot be read or the sizes differ.
bool ComparePng(const std::string& strA, const std::string& strB, int nThreshold, double& dMeanDiff,
                double& dShareOver);
