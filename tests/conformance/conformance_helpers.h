// Helpers shared by the conformance tests.  Everything here reaches Windows
// through the seam only, so it behaves the same on both sides.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "conformance/conformance_setup.h"
#include "platform/windows_api.h"

namespace conformance {

// Set as the last error before a call, so that a call that sets none shows.
constexpr win::Dword kUntouchedError = 0xdeadbeef;
// Fills buffers before a call: a byte still holding it was not written.
constexpr unsigned char kGuardByte = 0xA5;

// True when the Windows under test is Wine (ntdll exports wine_get_version).
// The simulated Windows has no ntdll and so is never Wine.
bool OnWine();

// Reports a place where Wine is known to answer differently from Windows,
// with what Wine gave, instead of failing the test.
void NoteWineDifference(const std::string& what);

// Bytes as a C literal, so that messages show control and high bytes.
std::string Quoted(const char* bytes, size_t count);
std::string Quoted(const std::string& bytes);
std::string Quoted(const std::u16string& text);

// A buffer of capacity bytes with guard bytes on either side, all filled
// with kGuardByte.
class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t capacity);
  char* data() { return reinterpret_cast<char*>(&bytes_[kGuardSize]); }
  size_t capacity() const { return capacity_; }
  // True when no byte before the buffer or after its capacity was written.
  bool GuardsIntact() const;
  // The first offset from `from` to the end of the guard after the buffer
  // whose byte was written, or -1 when none was.
  long FirstWrittenFrom(size_t from) const;

 private:
  static constexpr size_t kGuardSize = 64;
  size_t capacity_;
  std::vector<unsigned char> bytes_;
};

// Every test starts on a fresh Windows.
class ConformanceTest : public testing::Test {
 protected:
  void SetUp() override { FreshWindows(); }
};

}  // namespace conformance
