#include <sys/wait.h>

int NcTestExitCodeOfSystem(int nStatus) { return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1; }
