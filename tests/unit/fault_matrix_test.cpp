// Every failable call of a complete uninstall, failed one at a time: the
// calls are taken from a recorded run (both processes), so a call added to
// the program later is covered without being listed here.  Each run must
// end with exit code 0 and a sensible set of boxes, and a run that kept the
// driver file must leave the machine as it found it.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/sim_faults.h"
#include "two_process.h"

namespace {

using sim::WindowsKind;

struct FaultRun {
  std::vector<ProcessOutcome> processes;
  MachineSnapshot before;
  MachineSnapshot after;
  std::vector<std::string> trace;
  bool injected = false;
};

// Installs the product afresh and runs the whole uninstall; questions get
// answer; call's occurrence-th call fails unless call is empty.
FaultRun RunWithFault(WindowsKind kind, int answer, const std::string& call, int occurrence) {
  sim::ResetMachine();
  ResetProgramState();
  InstallProduct(kind);
  FaultRun run;
  run.before = TakeSnapshot();
  sim::SetStandingAnswer(answer);
  if (call.empty())
    sim::StartFaultTrace();
  else
    sim::ArmFault(call, occurrence);
  run.processes = RunUninstallCommand(kind, u"a0010407");
  sim::StopFaultTrace();
  sim::SetStandingAnswer(0);
  run.trace = sim::FaultTrace();
  run.injected = sim::FaultInjected();
  run.after = TakeSnapshot();
  return run;
}

// The machine without the copy in the temporary folder, which the first
// instance may leave behind.
MachineSnapshot WithoutTheCopy(MachineSnapshot state) {
  std::vector<std::string> files;
  for (const std::string& file : state.files)
    if (file.compare(0, std::string(kTempCopy).size(), kTempCopy) != 0) files.push_back(file);
  state.files = files;
  return state;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

bool Unformatted(const std::string& text) {
  for (const char* conversion : {"%s", "%d", "%u", "%x", "%X", "%c", "%l", "%i"})
    if (text.find(conversion) != std::string::npos) return true;
  return false;
}

// A box as "type | text": a failed module-name query leaves the caption
// empty, which changes nothing else.
std::vector<std::string> Shown() {
  std::vector<std::string> shown;
  for (const sim::MessageBoxRecord& box : sim::MessageBoxes()) {
    char type[8];
    std::snprintf(type, sizeof type, "0x%02X", static_cast<unsigned>(box.type));
    shown.push_back(std::string(type) + " | " + box.text);
  }
  return shown;
}
std::string Info(const std::string& text) { return "0x40 | " + text; }
std::string Question(const std::string& text) { return "0x24 | " + text; }

const std::string kCancelled = Info("Deinstallation abgebrochen.");
const std::string kDone = Info(kDoneText);
const std::string kDriverKept = Info(std::string("Fehler bei Deinstallation von ") + kDriverName +
                                     ":\nFolgende Treiberdatei konnte nicht gel\xF6scht werden:\n  " + kSystemDll);
const std::string kConfirm = Question(kConfirmText);
const std::string kDriverMissing = Question(std::string("Problem bei Deinstallation von ") + kDriverName +
                                            ":\nTreiberdatei nicht (mehr) vorhanden:\n  ");

bool Has(const std::vector<std::string>& shown, const std::string& box) {
  return std::find(shown.begin(), shown.end(), box) != shown.end();
}
bool HasStart(const std::vector<std::string>& shown, const std::string& start) {
  for (const std::string& box : shown)
    if (StartsWith(box, start)) return true;
  return false;
}

// The outcome classes; a run that fits none of them fails the test.
std::string Classify(const std::vector<std::string>& shown, WindowsKind kind, const std::string& call, int answer) {
  bool driverLeft = sim::FindEntry(kSystemDll) != nullptr;
  if (shown.empty()) return call == "MessageBoxA" ? "no box: the only box failed" : "";
  const std::string& last = shown.back();
  if (last == kDone) {
    if (!driverLeft) return shown.size() == 2 ? "completed" : "completed with warnings";
    // A system folder that cannot be asked for leads to a path where the
    // driver is not found; the user chose to go on.
    if (HasStart(shown, kDriverMissing)) return "completed: driver file not found, user went on";
    // Without switching redirection off, the 32-bit system folder's copy
    // is deleted in its place.
    if (Is64(kind) && (call == "GetModuleHandleA" || call == "GetProcAddress"))
      return "completed: redirection not switched off, 64-bit driver left";
    return "";
  }
  if (!driverLeft) return call == "MessageBoxA" && !Has(shown, kDone) ? "completed: the report's box failed" : "";
  if (last == kCancelled) return "cancelled";
  if (last == kDriverKept) return "stopped: driver file not deleted";
  if (answer == win::kIdNo && StartsWith(last, kDriverMissing)) return "stopped: driver file not found, user stopped";
  if (StartsWith(last, "0x30 | ") || StartsWith(last, "0x10 | ")) return "refused or failed before any change";
  if (call == "MessageBoxA")
    return last == kConfirm ? "cancelled: the cancellation's box failed" : "stopped: a box failed";
  return "";
}

// The first instance's two failures, each with the operation's own
// warning and then the instance's; nothing else follows.
std::vector<std::string> FirstInstanceStops(const std::string& call) {
  const std::string temp = std::string(kTempCopy);
  if (call == "CopyFileA" || call == "CreateFileA")
    return {"0x30 | Kopieren einer Datei fehlgeschlagen.\n\nQuelle: " + Uninstaller(k32) + "\nZiel: " + temp +
                "\n\nFehlercode 32:\nDer Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen "
                "Prozess verwendet wird.\r\n",
            "0x30 | Deinstallationsprogramm kann nicht in ein tempor\xE4res Verzeichnis kopiert werden, um sein "
            "Original l\xF6schen zu k\xF6nnen"};
  if (call == "CreateProcessA")
    return {"0x30 | Folgender Programmstart konnte nicht durchgef\xFChrt werden:\nDatei: " + temp +
                "\nAusf\xFChren in: <NULL>\nParameter: a0010407\n\nFehlercode 2:\nDas System kann die angegebene "
                "Datei nicht finden.\r\n",
            "0x30 | Deinstallationsprogramm kann Kopie im tempor\xE4ren Verzeichnis nicht starten, um sein Original "
            "l\xF6schen zu k\xF6nnen"};
  return {};
}

class FaultMatrix : public SimTest {};

TEST_F(FaultMatrix, EveryFailingCallEndsCleanly) {
  std::map<std::string, int> classes;
  std::map<std::string, int> callsFailed;
  std::map<std::string, int> silentLeftovers;
  int points = 0;
  for (WindowsKind kind : {k32, k64}) {
    for (int answer : {win::kIdYes, win::kIdNo}) {
      FaultRun reference = RunWithFault(kind, answer, "", -1);
      ASSERT_FALSE(reference.trace.empty());
      std::map<std::string, int> seen;
      for (const std::string& call : reference.trace) {
        int occurrence = seen[call]++;
        ++points;
        ++callsFailed[call];
        std::string where = std::string(Is64(kind) ? "64-bit" : "32-bit") +
                            (answer == win::kIdYes ? ", answer yes, " : ", answer no, ") + call + " #" +
                            std::to_string(occurrence);
        SCOPED_TRACE(where);
        FaultRun run = RunWithFault(kind, answer, call, occurrence);
        ASSERT_TRUE(run.injected);

        for (const ProcessOutcome& process : run.processes) EXPECT_EQ(process.exitCode, 0) << process.module;
        for (const sim::MessageBoxRecord& box : sim::MessageBoxes()) {
          if (call != "GetModuleFileNameA") {
            EXPECT_FALSE(box.caption.empty());
          }
          EXPECT_FALSE(box.text.empty());
          EXPECT_FALSE(Unformatted(box.text)) << box.text;
        }
        std::vector<std::string> shown = Shown();
        // A run that stopped with the driver file in place changed nothing.
        if (sim::FindEntry(kSystemDll) != nullptr && !Has(shown, kDone)) {
          EXPECT_EQ(WithoutTheCopy(run.after), WithoutTheCopy(run.before));
        }
        // The confirmation answered no cancels, and nothing follows.
        if (answer == win::kIdNo && Has(shown, kConfirm) && call != "MessageBoxA") {
          EXPECT_EQ(shown.back(), kCancelled);
        }
        // The driver file's deletion failing stops with its own box.
        if (call == "DeleteFileA" && sim::FindEntry(kSystemDll) != nullptr && answer == win::kIdYes) {
          EXPECT_EQ(shown.back(), kDriverKept);
        }

        std::vector<std::string> firstStops = FirstInstanceStops(call);
        if (!Is64(kind) && !firstStops.empty() && run.processes.size() == 1) {
          EXPECT_EQ(shown, firstStops);
        }
        // A completed run that warned of nothing yet left something of the
        // product behind: counted for the note, the behaviour is intended.
        if (shown.back() == kDone && shown.size() == 2 && !ProductLeft(kind).empty())
          ++silentLeftovers[call + " (" + ::testing::PrintToString(ProductLeft(kind)) + ")"];

        std::string outcome = Classify(shown, kind, call, answer);
        EXPECT_NE(outcome, "") << ::testing::PrintToString(shown);
        ++classes[outcome];
      }
    }
  }
  std::printf("fault points: %d\n", points);
  for (const auto& entry : callsFailed) std::printf("  %-28s %d\n", entry.first.c_str(), entry.second);
  std::printf("completed without a warning, yet something left:\n");
  for (const auto& entry : silentLeftovers) std::printf("  %s: %d\n", entry.first.c_str(), entry.second);
  std::printf("outcome classes:\n");
  for (const auto& entry : classes) std::printf("  %-44s %d\n", entry.first.c_str(), entry.second);
}

}  // namespace
