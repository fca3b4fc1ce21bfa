// Checks and shapes of the two server values that reach the command lines and the result file: the
// server's address (the "#IP#" placeholder) and its name (the output file, "#FILE#").
#pragma once

#include <string>

// True for dotted-decimal IPv4 text: four decimal parts of 1 to 3 digits, each at most 255, without
// leading zeros ("0" itself aside), signs, blanks or anything else. Only such an address is put into a
// command line.
bool NetChk_IsDottedIPv4(const std::string& strText);

// The output and result file name of a server: its name followed by ".txt", with every "/" and "\"
// (outside GBK characters) replaced by "_", so that the name is one file in the folder it is put in.
std::string NetChk_TargetFileName(const std::string& strServerName);
