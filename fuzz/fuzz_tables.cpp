// Target (c): the bytes as one of the program's own files. The first byte
// chooses: 0 the error table "VESK.ERR", 1 the system settings (".Cn2"),
// 2 the general settings (".CN1"); the rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/FuzzDrivers.h"
#include "fuzz/FuzzEnvironment.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzenv::Initialize(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::span<const std::uint8_t> file(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0: {
      const std::string path = fuzzenv::Env().work + "fuzz.ERR";
      fuzzdrv::WriteFile(path, file);
      // A number from the table's own first bytes reaches entries the
      // fixed numbers do not.
      std::int32_t number = 0;
      std::memcpy(&number, file.data(), std::min<std::size_t>(file.size(), sizeof number));
      fuzzdrv::ComposeFromErrorTable(path, number);
      break;
    }
    case 1: fuzzdrv::LoadSettingsFile(true, file); break;
    default: fuzzdrv::LoadSettingsFile(false, file); break;
  }
  return 0;
}
