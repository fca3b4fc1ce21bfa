// FetchData: one catalogue download into memory, with the download's log lines.
#pragma once

#include <cstdint>
#include <string>

// Appends the body behind szUrl to strBuffer. uTimeoutSeconds bounds the connection and, separately,
// every wait for data. The HTTP status is not looked at. False on any failure, with a log line; the
// bytes received before a broken transfer stay in the buffer.
bool FetchData(const std::string& strUrl, std::string& strBuffer, uint32_t uTimeoutSeconds);
