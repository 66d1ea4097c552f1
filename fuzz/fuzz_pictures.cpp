// Target (b): the bytes as the data block of an embedded picture. The first
// byte chooses the record: 0 a bitmap (206), 1 a metafile in record 103,
// 2 a bitmap file image in record 103; the rest is the payload.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzDrivers.h"
#include "fuzz/FuzzEnvironment.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzenv::Initialize(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const auto& env = fuzzenv::Env();
  const std::string path = env.work + "picture.tfl";
  fuzzdrv::WritePictureLog(path, data[0] % 3, {data + 1, size - 1});
  fuzzdrv::ReplayLogFile(path, env.patterns, env.symbols);
  return 0;
}
