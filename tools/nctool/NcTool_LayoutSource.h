// Reading the XML sources of a layout package (docs/layout-format.md) into templates, with errors that
// name the file, the line and the field.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KX_GUI/ArkLayoutTemplate.h"

namespace nctool {

struct LayoutSources {
    std::vector<std::unique_ptr<ArkGui::CArkLayoutTemplate>> vecComponents;  // in index order
};

// Reads SRC_DIR/index.xml and every component it names. False with "FILE:LINE: FIELD: message" in
// strError at the first error.
bool ReadLayoutSources(const std::string& strDir, LayoutSources& out, std::string& strError);

// A component source already in memory (UTF-8 XML); strFile names it in errors and must end in
// "<component name>.xml".
bool ParseLayoutSource(const std::string& strFile, const std::string& strText, ArkGui::CArkLayoutTemplate& tmpl,
                       std::string& strError);

}  // namespace nctool
