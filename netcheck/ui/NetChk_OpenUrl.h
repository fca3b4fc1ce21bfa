// Opening a web page from the net-check windows (the message box's links).
#pragma once

// Opens the URL (GBK) in the user's browser: the system's opener, then the configured fallback browser.
// On failure writes "打开url[%s]失败，错误码[%d]" and returns false.
bool OpenUrl(const char* szUrl);
