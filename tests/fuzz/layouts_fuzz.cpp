// libFuzzer target: the layout registry logic on registries built from
// arbitrary bytes, under AddressSanitizer and UndefinedBehaviorSanitizer.
#include <cstdio>
#include <cstdlib>

#include "fuzz/layouts_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string broken = fuzz::RunLayoutsFuzzInput(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "layouts fuzz: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
