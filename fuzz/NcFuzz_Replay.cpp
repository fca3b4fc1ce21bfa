// The replay program a harness becomes without libFuzzer: runs each input file once, every file of
// each folder named on the command line (in name order), and says how many it ran.
#include "NcFuzz_Support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> vecInputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = std::filesystem::absolute(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg))
                if (entry.is_regular_file()) vecInputs.push_back(entry.path());
        } else {
            vecInputs.push_back(arg);
        }
    }
    std::sort(vecInputs.begin(), vecInputs.end());
    if (vecInputs.empty()) {
        std::fprintf(stderr, "usage: %s FILE|DIR... (no inputs found)\n", argv[0]);
        return 2;
    }
    for (const auto& path : vecInputs) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 2;
        }
        // An input in a buffer of its own size, as libFuzzer hands it over, so an over-read shows.
        std::vector<uint8_t> input(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
    }
    std::printf("replayed %zu inputs\n", vecInputs.size());
    return 0;
}
