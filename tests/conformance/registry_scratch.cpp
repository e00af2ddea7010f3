#include "conformance/registry_scratch.h"

namespace conformance {

std::string ScratchPath(const std::string& name) { return "Software\\OskaldrvConformance\\" + name; }

bool RemoveKeyTree(win::HKey parent, const std::string& subkey) {
  win::HKey key = nullptr;
  win::Long opened = win::RegOpenKeyExA(parent, subkey.c_str(), 0, win::kKeyAllAccess, &key);
  if (opened == win::kErrorFileNotFound) return true;
  if (opened != win::kErrorSuccess) return false;
  for (;;) {
    char name[1024];  // more than any key name, on Wine too
    win::Dword length = sizeof name;
    if (win::RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != win::kErrorSuccess) break;
    if (!RemoveKeyTree(key, name)) break;  // never spin on a key that stays
  }
  win::RegCloseKey(key);
  return win::RegDeleteKeyA(parent, subkey.c_str()) == win::kErrorSuccess;
}

bool CreateKeyWithTexts(win::HKey root, const std::string& path,
                        const std::vector<std::pair<std::string, std::string>>& texts) {
  win::HKey key = nullptr;
  char noClass[1] = "";
  if (win::RegCreateKeyExA(root, path.c_str(), 0, noClass, win::kRegOptionNonVolatile, win::kKeyAllAccess, nullptr,
                           &key, nullptr) != win::kErrorSuccess)
    return false;
  bool ok = true;
  for (const auto& text : texts) {
    ok = ok && win::RegSetValueExA(key, text.first.c_str(), 0, win::kRegSz,
                                   reinterpret_cast<const uint8_t*>(text.second.c_str()),
                                   static_cast<win::Dword>(text.second.size() + 1)) == win::kErrorSuccess;
  }
  win::RegCloseKey(key);
  return ok;
}

std::vector<std::pair<std::string, std::string>> ReadTextValues(win::HKey root, const std::string& path) {
  std::vector<std::pair<std::string, std::string>> values;
  win::HKey key = nullptr;
  if (win::RegOpenKeyExA(root, path.c_str(), 0, win::kKeyRead, &key) != win::kErrorSuccess) return {{"<missing>", ""}};
  for (win::Dword index = 0;; ++index) {
    char name[1024];
    uint8_t data[1024] = {};
    win::Dword nameLength = sizeof name;
    win::Dword dataLength = sizeof data - 1;
    if (win::RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, data, &dataLength) != win::kErrorSuccess)
      break;
    values.emplace_back(name, reinterpret_cast<const char*>(data));
  }
  win::RegCloseKey(key);
  return values;
}

void RegistryScratchTest::SetUp() {
  ConformanceTest::SetUp();
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name)
    if (c == '/' || c == '\\') c = '_';
  scratch_ = ScratchPath(name);
  ASSERT_TRUE(RemoveKeyTree(win::kHKeyCurrentUser, scratch_)) << "scratch key left from an earlier run";
  ASSERT_TRUE(CreateKeyWithTexts(win::kHKeyCurrentUser, scratch_, {}));
}

void RegistryScratchTest::TearDown() {
  EXPECT_TRUE(RemoveKeyTree(win::kHKeyCurrentUser, scratch_));
  // The common parent goes once it is empty; a refusal means others remain.
  win::RegDeleteKeyA(win::kHKeyCurrentUser, "Software\\OskaldrvConformance");
}

win::HKey RegistryScratchTest::OpenScratch(const std::string& below, win::Dword access) {
  win::HKey key = nullptr;
  std::string path = below.empty() ? scratch_ : scratch_ + "\\" + below;
  win::Long result = win::RegOpenKeyExA(win::kHKeyCurrentUser, path.c_str(), 0, access, &key);
  EXPECT_EQ(win::kErrorSuccess, result) << path;
  return key;
}

}  // namespace conformance
