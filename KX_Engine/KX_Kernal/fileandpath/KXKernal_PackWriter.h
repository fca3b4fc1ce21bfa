// CKXKernal_PackWriter builds a pack archive (.wdf) that CKXKernal_File_Pack reads: used by
// "nctool pack build" and by the data build.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CKXKernal_PackWriter {
public:
    // Adds a file with the given contents under an inner path ("config/sys/IP.csv"). Adding the same
    // inner path again replaces its contents. False (and a log line) when a different inner path already
    // has the same name hash, since the reader could reach only one of them.
    bool AddBytes(const std::string& strInnerPath, const std::string& strBytes);
    // As AddBytes, with the contents read from a disk file when Write runs.
    bool AddFile(const std::string& strInnerPath, const std::string& strSourcePath);

    // Writes the archive: header, contents in the order added, then the index. With bScrambleContents
    // every file's bytes are stored XORed with the content key and the header's flag is set. False (and
    // a log line) when a source file cannot be read, the archive cannot be written or would pass 2 GB;
    // a partly written archive is deleted.
    bool Write(const char* szArchivePath, bool bScrambleContents) const;

    size_t GetCount() const { return m_vecItems.size(); }

private:
    struct Item {
        std::string strInnerPath;
        std::string strBytes;       // when strSourcePath is empty
        std::string strSourcePath;  // read at Write
    };
    bool Add(Item item);
    bool WriteTo(class CKXKernal_File& file, bool bScrambleContents) const;

    std::vector<Item> m_vecItems;
    std::map<uint32_t, size_t> m_mapByHash;  // name hash -> index into m_vecItems
};
