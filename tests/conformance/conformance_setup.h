// What differs between the two runs of the conformance tests.  On the
// simulated Windows each test configures the machine it needs; on Windows the
// machine is what it is, and expectations that depend on it come from the
// test runner.  setup_sim.cpp and setup_windows.cpp implement this header,
// each compiled only for its side.
#pragma once

#include <string>
#include <vector>

namespace conformance {

// True on the simulated Windows; used to name the side in messages.
bool OnSim();

// Gives a test a fresh Windows: a new simulated machine, nothing on Windows.
void FreshWindows();

// One machine on which WOW64 detection is checked.
struct Wow64Case {
  std::string name;     // test parameter name
  int machine;          // which simulated machine (sim only)
  bool known;           // the expectation is known on this machine
  bool expectFunction;  // kernel32 exports IsWow64Process
  bool expectWow64;     // IsWow64Process says the process runs under WOW64
  std::string source;   // where the expectation comes from, for messages
};
// The sim checks every kind of Windows it models; Windows checks itself.
std::vector<Wow64Case> Wow64Cases();
// Makes the machine the one the case describes (sim only).
void EnterWow64Case(const Wow64Case& c);

// Starts this program as a new process with commandLine (ANSI code page,
// the program's quoted path first) and returns in seen the text that
// GetCommandLineW gives inside that process.  On false, failure says why.
bool CommandLineSeenByNewProcess(const std::string& commandLine, std::u16string* seen, std::string* failure);

}  // namespace conformance
