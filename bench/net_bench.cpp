// The cost of one parameter block (operation 23, the word-data request):
// the fields and their MD5 check alone, and BuildParams as a request makes it,
// which also reads the client number from the registry store (a temporary
// one here). Decoding is what the service does with each block.
#include "net/ParamBlock.h"
#include "net/TSHParam.h"
#include "platform/Environment.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

net::ParamValues WordData() {
    net::ParamValues v;
    v.ClientId = 0x12345678;
    v.FileClass = 11;
    v.FileNumber = 0x90;
    v.Offset = 123456;
    v.Length = 4321;
    return v;
}

void BM_FieldsAndCheck(benchmark::State& state) {
    const net::ParamValues v = WordData();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            net::TSHParam::AppendCheck(net::EncodeFields(net::kOpLocateWordData, v)));
}
BENCHMARK(BM_FieldsAndCheck);

void BM_BuildParams(benchmark::State& state) {
    std::string folder =
        (std::filesystem::temp_directory_path() / "quendic-netbench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        std::abort();
    platform::Environment environment = platform::CurrentEnvironment();
    environment.RegistryFile = folder + "/registry";
    platform::SetEnvironment(environment);
    const net::TSHParam param;
    const net::ParamValues v = WordData();
    param.GetClientId(); // made once, as on a real installation
    for (auto _ : state)
        benchmark::DoNotOptimize(param.BuildParams(net::kOpLocateWordData, v));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_BuildParams);

void BM_DecodeBlock(benchmark::State& state) {
    const std::string block =
        net::TSHParam::AppendCheck(net::EncodeFields(net::kOpLocateWordData, WordData()));
    for (auto _ : state)
        benchmark::DoNotOptimize(net::DecodeParamBlock(block));
}
BENCHMARK(BM_DecodeBlock);

} // namespace

BENCHMARK_MAIN();
