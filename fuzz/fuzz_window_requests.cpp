// Target: the bytes a neighbour sends on the window socket, arriving in
// pieces. The first byte chooses where the stream is cut; the reader sees
// every longer beginning as the socket would deliver it. It must ask for more
// only while the bytes can still become the request, accept exactly the
// request, and once it refused, refuse whatever follows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/FuzzEnvironment.h"
#include "windows/WindowRequests.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzenv::Initialize(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t step = 1 + data[0] % 8;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  constexpr std::string_view kRequest = "restore\n";
  bool refused = false;
  for (std::size_t end = 0;; end = std::min(bytes.size(), end + step)) {
    const std::string_view received = bytes.substr(0, end);
    const platform::WindowRequest read = platform::ReadWindowRequest(received);
    const bool prefix = received.size() < kRequest.size() && kRequest.starts_with(received);
    if ((read == platform::WindowRequest::Incomplete) != prefix) std::abort();
    if ((read == platform::WindowRequest::Restore) != (received == kRequest)) std::abort();
    if (refused && read != platform::WindowRequest::Refused) std::abort();
    refused = read == platform::WindowRequest::Refused;
    if (end == bytes.size() || read == platform::WindowRequest::Restore) break;
  }
  return 0;
}
