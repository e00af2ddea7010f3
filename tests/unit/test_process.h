// Begins a new simulated process for a test: a fresh machine (unless the
// test keeps the one it set up) and every process-wide value of the program
// back at its start value, as a real process start gives them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "files/files_state.h"
#include "layouts/layouts_state.h"
#include "platform/sim/sim.h"
#include "shell/shell_state.h"
#include "uninstall/uninstall_state.h"

inline void ResetProgramState() {
  Shell = ShellState{};
  Uninstall = UninstallState{};
  Layouts = LayoutsState{};
  Files = FilesState{};
}

// Starts a process of the given module with the given command line on the
// current machine and resets the program's state.
inline void StartSimProcess(const std::string& moduleFileName, const std::u16string& commandLine) {
  sim::ProcessStart start;
  start.moduleFileName = moduleFileName;
  start.commandLine = commandLine;
  sim::StartProcess(start);
  ResetProgramState();
  Shell.AppInstance = sim::ProcessInstance();
}

// A fixture whose every test runs on a fresh machine and process.
class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::ResetMachine();
    ResetProgramState();
    Shell.AppInstance = sim::ProcessInstance();
  }
};
