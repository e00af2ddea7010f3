// Runs the program as whole processes on one simulated machine: a process
// starts with every process-wide value of the program at its start value,
// runs the entry point to its exit code, and a program it started runs next,
// with the command line it was given.  The registry, the file tree and the
// message boxes belong to the machine and carry over from one process to
// the next.
#pragma once

#include <string>
#include <vector>

#include "installed_product.h"
#include "platform/sim/sim_next_process.h"
#include "platform/sim/sim_windows.h"
#include "shell/entry_point.h"
#include "test_process.h"

// What one process did, read when it had ended.
struct ProcessOutcome {
  std::string module;
  std::u16string commandLine;
  int exitCode = -1;
  std::string windowTitle;  // empty when it made no window
  std::vector<std::string> boxes;
  bool boxesOwnedByItsWindow = true;  // by the status window, or by none when it has none
  std::vector<std::string> redirectionCalls;
  bool redirectionOffAtEnd = false;
  std::vector<sim::ProcessCreation> started;  // processes it tried to start
};

// Runs one process from its start to its exit code.
inline ProcessOutcome RunProcess(const sim::ProcessStart& start) {
  size_t firstBox = sim::MessageBoxes().size();
  size_t firstCreation = sim::CreatedProcesses().size();
  sim::StartProcess(start);
  ResetProgramState();

  ProcessOutcome outcome;
  outcome.module = start.moduleFileName;
  outcome.commandLine = start.commandLine;
  outcome.exitCode = ProgramEntry(sim::ProcessInstance(), nullptr, nullptr, start.showCommand);
  if (Shell.MainWindow != nullptr) outcome.windowTitle = sim::WindowOf(Shell.MainWindow).title;
  outcome.boxes = BoxesFrom(firstBox);
  for (size_t i = firstBox; i < sim::MessageBoxes().size(); ++i)
    if (sim::MessageBoxes()[i].owner != Shell.MainWindow) outcome.boxesOwnedByItsWindow = false;
  outcome.redirectionCalls = sim::RedirectionCalls();
  outcome.redirectionOffAtEnd = sim::FsRedirectionOff();
  const std::vector<sim::ProcessCreation>& created = sim::CreatedProcesses();
  outcome.started.assign(created.begin() + static_cast<long>(firstCreation), created.end());
  return outcome;
}

// Runs a process and then each program that the previous one started, one
// after the other, until a process starts nothing; at most limit processes,
// so that a program that keeps starting itself ends the test.
inline std::vector<ProcessOutcome> RunProcessChain(const sim::ProcessStart& first, size_t limit = 4) {
  std::vector<ProcessOutcome> outcomes{RunProcess(first)};
  sim::ProcessStart next;
  while (outcomes.size() < limit && !outcomes.back().started.empty() && sim::LastStartedProcess(&next))
    outcomes.push_back(RunProcess(next));
  return outcomes;
}

// The program started from a module path with the argument text, as the
// system's uninstall command starts it: the quoted path, a blank, the text.
inline sim::ProcessStart StartOf(const std::string& module, const std::u16string& arguments) {
  sim::ProcessStart start;
  start.moduleFileName = module;
  start.commandLine = u"\"" + sim::WidenCp1252(module) + u"\" " + arguments;
  return start;
}

// The whole uninstall: the first instance from the product folder, then the
// copy it started in the temporary folder.
inline std::vector<ProcessOutcome> RunUninstallCommand(sim::WindowsKind kind, const std::u16string& arguments) {
  return RunProcessChain(StartOf(Uninstaller(kind), arguments));
}

// Only the copy, started from the temporary folder.
inline ProcessOutcome RunTempCopy(const std::u16string& arguments) { return RunProcess(StartOf(kTempCopy, arguments)); }
