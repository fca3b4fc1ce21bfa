// The one start-up record of the process.
#include "netcheck/NetChk_DetailInfo.h"

NetChk_DetailInfo g_DetailInfo;
