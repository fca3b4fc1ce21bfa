int NcTestExitCodeOfSystem(int nStatus) { return nStatus; }
