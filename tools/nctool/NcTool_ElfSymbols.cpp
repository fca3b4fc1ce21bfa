// Symbol lookup in a 64-bit ELF file read whole into memory; every offset is checked against its size,
// since a dump can name any file. The ELF records are spelled out here, so that nctool builds where the
// system has no <elf.h> (Windows) and still reads dumps made on Linux.
#include "NcTool_ElfSymbols.h"

#include <cxxabi.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

namespace nctool {

namespace {

constexpr char ELFMAG[] = "\177ELF";
constexpr size_t SELFMAG = 4;
constexpr size_t EI_CLASS = 4;
constexpr char ELFCLASS64 = 2;
constexpr uint32_t SHT_SYMTAB = 2;
constexpr uint32_t SHT_DYNSYM = 11;
constexpr unsigned STT_FUNC = 2;

struct Elf64_Ehdr {
    unsigned char e_ident[16];
    uint16_t e_type, e_machine;
    uint32_t e_version;
    uint64_t e_entry, e_phoff, e_shoff;
    uint32_t e_flags;
    uint16_t e_ehsize, e_phentsize, e_phnum, e_shentsize, e_shnum, e_shstrndx;
};
struct Elf64_Shdr {
    uint32_t sh_name, sh_type;
    uint64_t sh_flags, sh_addr, sh_offset, sh_size;
    uint32_t sh_link, sh_info;
    uint64_t sh_addralign, sh_entsize;
};
struct Elf64_Sym {
    uint32_t st_name;
    unsigned char st_info, st_other;
    uint16_t st_shndx;
    uint64_t st_value, st_size;
};
static_assert(sizeof(Elf64_Ehdr) == 64 && sizeof(Elf64_Shdr) == 64 && sizeof(Elf64_Sym) == 24, "ELF64 layout");
unsigned SymbolType(unsigned char uInfo) { return uInfo & 0xf; }

bool Fits(const std::string& strFile, uint64_t uOffset, uint64_t uSize) {
    return uOffset <= strFile.size() && uSize <= strFile.size() - uOffset;
}

std::string Demangle(const char* szName) {
    int nStatus = 0;
    char* szPlain = abi::__cxa_demangle(szName, nullptr, nullptr, &nStatus);
    if (nStatus != 0 || !szPlain) return szName;
    std::string strOut = szPlain;
    std::free(szPlain);
    return strOut;
}

// The best symbol of one table: the function whose range holds the address.
bool FindIn(const std::string& strFile, const Elf64_Shdr& table, const Elf64_Shdr& strings, uint64_t uAddress,
            std::string& strOut) {
    if (table.sh_entsize != sizeof(Elf64_Sym) || !Fits(strFile, table.sh_offset, table.sh_size) ||
        !Fits(strFile, strings.sh_offset, strings.sh_size))
        return false;
    for (uint64_t uAt = 0; uAt + sizeof(Elf64_Sym) <= table.sh_size; uAt += sizeof(Elf64_Sym)) {
        Elf64_Sym symbol;
        std::memcpy(&symbol, strFile.data() + table.sh_offset + uAt, sizeof(symbol));
        if (SymbolType(symbol.st_info) != STT_FUNC || symbol.st_value == 0) continue;
        if (uAddress < symbol.st_value || uAddress >= symbol.st_value + (symbol.st_size ? symbol.st_size : 1)) continue;
        if (symbol.st_name >= strings.sh_size) continue;
        const char* pName = strFile.data() + strings.sh_offset + symbol.st_name;
        if (!std::memchr(pName, '\0', strings.sh_size - symbol.st_name)) continue;
        char szOffset[32];
        std::snprintf(szOffset, sizeof(szOffset), "+0x%" PRIx64, uAddress - symbol.st_value);
        strOut = Demangle(pName) + szOffset;
        return true;
    }
    return false;
}

std::string Lookup(const std::string& strFile, uint64_t uAddress) {
    Elf64_Ehdr header;
    if (strFile.size() < sizeof(header) || std::memcmp(strFile.data(), ELFMAG, SELFMAG) != 0 ||
        strFile[EI_CLASS] != ELFCLASS64)
        return std::string();
    std::memcpy(&header, strFile.data(), sizeof(header));
    if (header.e_shentsize != sizeof(Elf64_Shdr) ||
        !Fits(strFile, header.e_shoff, uint64_t(header.e_shnum) * sizeof(Elf64_Shdr)))
        return std::string();
    auto section = [&](uint32_t uIndex) {
        Elf64_Shdr out;
        std::memcpy(&out, strFile.data() + header.e_shoff + uint64_t(uIndex) * sizeof(Elf64_Shdr), sizeof(out));
        return out;
    };
    for (const uint32_t uType : {uint32_t(SHT_SYMTAB), uint32_t(SHT_DYNSYM)}) {
        for (uint32_t i = 0; i < header.e_shnum; ++i) {
            const Elf64_Shdr table = section(i);
            if (table.sh_type != uType || table.sh_link >= header.e_shnum) continue;
            std::string strOut;
            if (FindIn(strFile, table, section(table.sh_link), uAddress, strOut)) return strOut;
        }
    }
    return std::string();
}

}  // namespace

std::string FunctionInFile(const std::string& strPath, uint64_t uFileAddress) {
    static std::map<std::string, std::string> s_mapFiles;  // each file read once per run
    auto it = s_mapFiles.find(strPath);
    if (it == s_mapFiles.end()) {
        std::ifstream file(strPath, std::ios::binary);
        it = s_mapFiles.emplace(strPath, std::string((std::istreambuf_iterator<char>(file)),
                                                     std::istreambuf_iterator<char>())).first;
    }
    return Lookup(it->second, uFileAddress);
}

}  // namespace nctool
