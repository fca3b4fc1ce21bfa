// Cost of the catalogue storage and loading at start-up: a generated catalogue of about 4 KB is
// encrypted, decrypted and parsed (placeholders included). And the cost of the worst documents the
// parser accepts or refuses: nesting at the deepest level read, and as many element tags as allowed.
#include "netcheck/catalogue/NetChk_Catalogue.h"
#include "netcheck/catalogue/NetChk_CatalogueKey.h"
#include "netcheck/catalogue/NetChk_CatalogueXml.h"
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

// A valid catalogue whose Commands hold nChains chains of elements, each nested nDepth levels below
// the root (the root is level 1, Commands level 2): the element tags stay within the allowed count.
std::string MakeNested(int nChains, int nDepth) {
    std::string text = "<NetCheck><Config><UseOld>0</UseOld><ShowAdvice>1</ShowAdvice></Config><Commands>";
    for (int c = 0; c < nChains; ++c) {
        text += "<Command type=\"1\" value=\"v\" tips=\"t\">";
        for (int i = 3; i < nDepth; ++i) text += "<a>";
        for (int i = 3; i < nDepth; ++i) text += "</a>";
        text += "</Command>";
    }
    return text + "</Commands></NetCheck>";
}

void ParseExpecting(benchmark::State& state, const std::string& strText, NetChk_CatalogueXml::DocumentStatus eExpected) {
    for (auto _ : state) {
        NetChk_CatalogueXml::CatalogueDocument doc;
        if (NetChk_CatalogueXml::ParseCatalogueDocument(strText, doc) != eExpected) {
            state.SkipWithError("the document was not read as expected");
            return;
        }
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(strText.size()));
}

// One chain at the deepest nesting read.
void BM_DeepestAcceptedChain(benchmark::State& state) {
    ParseExpecting(state, MakeNested(1, NetChk_CatalogueXml::kDeepestNesting), NetChk_CatalogueXml::DocumentStatus::Ok);
}
BENCHMARK(BM_DeepestAcceptedChain)->Unit(benchmark::kMicrosecond);

// The worst accepted document: as many deepest chains as the element tags allow.
void BM_WorstAcceptedDocument(benchmark::State& state) {
    const int nPerChain = NetChk_CatalogueXml::kDeepestNesting - 2;
    const int nChains = static_cast<int>((NetChk_CatalogueXml::kMaxElements - 5) / static_cast<size_t>(nPerChain));
    ParseExpecting(state, MakeNested(nChains, NetChk_CatalogueXml::kDeepestNesting), NetChk_CatalogueXml::DocumentStatus::Ok);
}
BENCHMARK(BM_WorstAcceptedDocument)->Unit(benchmark::kMillisecond);

// As many commands as the element tags allow, side by side.
void BM_WidestAcceptedDocument(benchmark::State& state) {
    ParseExpecting(state, MakeNested(static_cast<int>(NetChk_CatalogueXml::kMaxElements) - 5, 3),
                   NetChk_CatalogueXml::DocumentStatus::Ok);
}
BENCHMARK(BM_WidestAcceptedDocument)->Unit(benchmark::kMillisecond);

// Nesting one level too deep, with every allowed tag: refused.
void BM_TooDeepRefused(benchmark::State& state) {
    std::string text;
    for (size_t i = 0; i < NetChk_CatalogueXml::kMaxElements; ++i) text += "<a>";
    ParseExpecting(state, text, NetChk_CatalogueXml::DocumentStatus::NoRoot);
}
BENCHMARK(BM_TooDeepRefused)->Unit(benchmark::kMicrosecond);

}  // namespace
