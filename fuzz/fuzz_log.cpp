// Target (a): the bytes as a compiled log, replayed through the canvas device
// onto a small page with the build's pattern and symbol libraries.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzDrivers.h"
#include "fuzz/FuzzEnvironment.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzenv::Initialize(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& env = fuzzenv::Env();
  const std::string path = env.work + "input.tfl";
  fuzzdrv::WriteFile(path, {data, size});
  fuzzdrv::ReplayLogFile(path, env.patterns, env.symbols);
  return 0;
}
