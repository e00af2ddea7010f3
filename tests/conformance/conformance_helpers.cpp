#include "conformance/conformance_helpers.h"

#include <cstdio>

namespace conformance {

bool OnWine() {
  win::HInstance ntdll = win::GetModuleHandleA("ntdll");
  return ntdll != nullptr && win::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void NoteWineDifference(const std::string& what) {
  std::printf("[ WINE DIFF  ] %s\n", what.c_str());
  testing::Test::RecordProperty("known_wine_difference", what);
}

std::string Quoted(const char* bytes, size_t count) {
  std::string out = "\"";
  for (size_t i = 0; i < count; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    char escaped[8];
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c >= 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Quoted(const std::string& bytes) { return Quoted(bytes.data(), bytes.size()); }

std::string Quoted(const std::u16string& text) {
  std::string out = "u\"";
  for (char16_t c : text) {
    char escaped[16];
    if (c == u'\\' || c == u'"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == u'\t') {
      out += "\\t";
    } else if (c < 0x20 || c >= 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

GuardedBuffer::GuardedBuffer(size_t capacity) : capacity_(capacity), bytes_(capacity + 2 * kGuardSize, kGuardByte) {}

bool GuardedBuffer::GuardsIntact() const {
  for (size_t i = 0; i < kGuardSize; ++i)
    if (bytes_[i] != kGuardByte || bytes_[kGuardSize + capacity_ + i] != kGuardByte) return false;
  return true;
}

long GuardedBuffer::FirstWrittenFrom(size_t from) const {
  for (size_t i = kGuardSize + from; i < bytes_.size(); ++i)
    if (bytes_[i] != kGuardByte) return static_cast<long>(i - kGuardSize);
  return -1;
}

}  // namespace conformance
