// The two XML formats of the catalogue, read through TinyXML-2 (the only files that include it):
// the update descriptor patch/update_url.xml and the new-format catalogue document.
#pragma once

#include "netcheck/catalogue/NetChk_Command.h"

#include <cstddef>
#include <string>
#include <vector>

namespace NetChk_CatalogueXml {

enum class DescriptorStatus {
    Ok,
    Unreadable,    // missing, unreadable, not XML or without a root element
    NoNetCheck,    // the root has no net_check child
};

// Reads the descriptor from disk: the text of net_check, then of net_check2, net_check3 ... up to the
// first missing number (a gap ends the list; the elements may stand in any order in the file). An
// element without text gives an empty address, which the loader skips.
DescriptorStatus ReadUpdateDescriptor(const std::string& strPath, std::vector<std::string>& vecUrls);

enum class DocumentStatus {
    Ok,
    NoRoot,     // not XML, or no root element
    NoConfig,   // no Config child of the root
    Malformed,  // breaks the expected shape; see strProblem
    UseOld,     // Config/UseOld is exactly "1": the document declines to be used
};

struct CatalogueDocument {
    std::string strShowAdvice;            // read, used by nothing
    std::vector<NetChkCommand> vecCommands;  // every command in document order, placeholders untouched
    std::string strProblem;               // what was wrong, for Malformed
};

// A document may hold at most this many element tags; a larger one is refused before it is parsed.
// Catalogues hold a few dozen.
constexpr size_t kMaxElements = 4096;

// The deepest nesting of elements (the root counts as 1) that is read; the parser itself refuses a
// deeper document, which then has no root. The catalogue needs 3 levels, the descriptor 2.
constexpr int kDeepestNesting = 98;

// Parses a plain catalogue document (GBK bytes) from memory. Expected shape: root/Config with UseOld
// and ShowAdvice, both with text; root/Commands whose children are all elements (comments aside), each
// with the type, value and tips attributes. The type is read like atoi.
DocumentStatus ParseCatalogueDocument(const std::string& strText, CatalogueDocument& doc);

}  // namespace NetChk_CatalogueXml
