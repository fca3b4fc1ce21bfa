// The gallery's template view: windows created by name from the layout package of the data tree,
// with the control fonts applied, optionally filled the way the program shows them after a check.
#pragma once

#include <string>
#include <vector>

#include "KX_GUI/ArkRootWnd.h"

class CNetChk_UtilResMgr;

namespace ArkGallery {

constexpr const char* kLayoutRoot = "interface/netchkroot.auf";

// What the windows show: the templates as they are, or filled as after a check, or during one.
enum class SampleState { None, Finished, Checking };

// Loads the package (the current directory must be the data tree) and creates the named templates
// under the root, in the given order, each in front of the ones before it. With a sample state the
// windows get the texts, states and shields the program would give them (texts from the string table,
// shields and tooltip frames from its picture keys). False, with
// the reason on standard error, when the package or a template cannot be loaded.
bool BuildTemplates(ArkGui::CArkRootWnd& root, CNetChk_UtilResMgr& resources, const std::vector<std::string>& vecNames,
                    SampleState eSample);

}  // namespace ArkGallery
