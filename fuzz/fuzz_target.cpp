// libFuzzer entry point: every generated input goes through the differential check.
#include <cstddef>
#include <cstdint>

#include "fuzz/differential_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  veltrano::fuzz::CheckAgainstReference(data, size);
  return 0;
}
