// Cost of the catalogue storage and loading at start-up: a generated catalogue of about 4 KB is
// encrypted, decrypted and parsed (placeholders included).
#include "netcheck/catalogue/NetChk_Catalogue.h"
#include "netcheck/catalogue/NetChk_CatalogueKey.h"
#include "netcheck/catalogue/NetChk_StorageCipher.h"

#include <benchmark/benchmark.h>

namespace {

std::string MakeCatalogue(int nCommands) {
    std::string text = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<NetCheck><Config><UseOld>0</UseOld>"
                       "<ShowAdvice>1</ShowAdvice></Config><Commands>\n";
    for (int i = 0; i < nCommands; ++i)
        text += "  <Command type=\"" + std::to_string(i % 6) + "\" value=\"ping -c 4 -W 2 #IP# &gt; #FILE#\" tips=\"check number " +
                std::to_string(i) + "\"/>\n";
    return text + "</Commands></NetCheck>\n";
}

const std::string& Plain() {
    static const std::string text = MakeCatalogue(40);
    return text;
}

void BM_EncryptCatalogue(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(NetChk_StorageCipher::EncryptString(Plain(), NetChk_CatalogueKey::kBuiltInKey));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Plain().size()));
}
BENCHMARK(BM_EncryptCatalogue);

void BM_DecryptCatalogue(benchmark::State& state) {
    const std::string stored = NetChk_StorageCipher::EncryptString(Plain(), NetChk_CatalogueKey::kBuiltInKey);
    for (auto _ : state) benchmark::DoNotOptimize(NetChk_StorageCipher::DecryptString(stored, NetChk_CatalogueKey::kBuiltInKey));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Plain().size()));
}
BENCHMARK(BM_DecryptCatalogue);

void BM_LoadNewCommandMgrXml(benchmark::State& state) {
    for (auto _ : state) {
        CNetChk_Catalogue catalogue;
        catalogue.SetServer("S1", "10.1.2.3");
        benchmark::DoNotOptimize(catalogue.loadNewCommandMgrXml(Plain()));
    }
}
BENCHMARK(BM_LoadNewCommandMgrXml);

}  // namespace
