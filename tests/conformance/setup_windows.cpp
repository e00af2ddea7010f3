// Set-up of the conformance tests on Windows (and Wine), and the program's
// entry point there.  The program starts itself as a child to see the
// command line a started process gets; the child is told where to write it
// through the environment, so that its command line stays exactly the one
// the test passed.
#if !defined(CONFORMANCE_ON_SIM) && defined(_WIN32)

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "conformance/conformance_setup.h"
#include "platform/windows_api.h"

namespace {

const char kChildOutputVariable[] = "CONFORMANCE_CHILD_OUTPUT";
const DWORD kChildTimeoutMs = 60000;

// The child's whole work: its wide command line, without terminator, into
// the file the parent named.
int RunAsChild(const char* outputPath) {
  const win::WideChar* line = win::GetCommandLineW();
  size_t length = 0;
  while (line[length] != 0) ++length;
  FILE* file = std::fopen(outputPath, "wb");
  if (file == nullptr) return 3;
  size_t written = std::fwrite(line, sizeof(win::WideChar), length, file);
  bool closed = std::fclose(file) == 0;
  return written == length && closed ? 0 : 4;
}

std::string ErrorText(const char* what, DWORD code) {
  char text[160];
  std::snprintf(text, sizeof text, "%s failed, error %lu", what, static_cast<unsigned long>(code));
  return text;
}

bool ReadWholeFile(const char* path, std::u16string* content) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  content->clear();
  win::WideChar unit;
  while (std::fread(&unit, sizeof unit, 1, file) == 1) content->push_back(unit);
  std::fclose(file);
  return true;
}

}  // namespace

namespace conformance {

bool OnSim() { return false; }

void FreshWindows() {}

// The runner says whether this process should run under WOW64; without it,
// only a 64-bit build knows: a 64-bit process never does.
std::vector<Wow64Case> Wow64Cases() {
  const char* expect = std::getenv("CONFORMANCE_EXPECT_WOW64");
  if (expect != nullptr && (std::strcmp(expect, "0") == 0 || std::strcmp(expect, "1") == 0))
    return {{"ThisWindows", 0, true, true, expect[0] == '1', "CONFORMANCE_EXPECT_WOW64=" + std::string(expect)}};
  if (sizeof(void*) == 8) return {{"ThisWindows", 0, true, true, false, "a 64-bit process"}};
  return {{"ThisWindows", 0, false, true, false, "CONFORMANCE_EXPECT_WOW64 not set for a 32-bit process"}};
}

void EnterWow64Case(const Wow64Case&) {}

bool CommandLineSeenByNewProcess(const std::string& commandLine, std::u16string* seen, std::string* failure) {
  char tempDir[MAX_PATH];
  char outputPath[MAX_PATH];
  DWORD tempLength = GetTempPathA(sizeof tempDir, tempDir);
  if (tempLength == 0 || tempLength >= sizeof tempDir) {
    *failure = ErrorText("GetTempPathA", GetLastError());
    return false;
  }
  if (GetTempFileNameA(tempDir, "cfm", 0, outputPath) == 0) {
    *failure = ErrorText("GetTempFileNameA", GetLastError());
    return false;
  }
  SetEnvironmentVariableA(kChildOutputVariable, outputPath);

  // CreateProcessA may write into the command line, so it gets a copy.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  win::StartupInfoA startup = {};
  startup.cb = sizeof startup;
  win::ProcessInformation process = {};
  win::SetLastError(0xdeadbeef);
  win::Bool started =
      win::CreateProcessA(nullptr, line.data(), nullptr, nullptr, 0, 0, nullptr, nullptr, &startup, &process);
  DWORD startError = win::GetLastError();
  SetEnvironmentVariableA(kChildOutputVariable, nullptr);
  if (!started) {
    *failure = ErrorText("CreateProcessA", startError);
    DeleteFileA(outputPath);
    return false;
  }

  bool ok = true;
  DWORD waited = WaitForSingleObject(process.hProcess, kChildTimeoutMs);
  DWORD exitCode = 0;
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    *failure = "the child did not end within 60 s";
    ok = false;
  } else if (!GetExitCodeProcess(process.hProcess, &exitCode) || exitCode != 0) {
    *failure = ErrorText("the child", exitCode);
    ok = false;
  } else if (!ReadWholeFile(outputPath, seen)) {
    *failure = "the child's output file cannot be read";
    ok = false;
  }
  win::CloseHandle(process.hThread);
  win::CloseHandle(process.hProcess);
  DeleteFileA(outputPath);
  return ok;
}

}  // namespace conformance

int main(int argc, char** argv) {
  char outputPath[MAX_PATH];
  DWORD length = GetEnvironmentVariableA(kChildOutputVariable, outputPath, sizeof outputPath);
  if (length > 0 && length < sizeof outputPath) return RunAsChild(outputPath);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#endif  // !CONFORMANCE_ON_SIM && _WIN32
