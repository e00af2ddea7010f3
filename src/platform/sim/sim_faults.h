// Fault injection by position: every simulated call that can fail asks
// Enter at its start whether it is the one to fail.  A test records the
// calls a run makes (the trace), then runs again with one of them -- by
// name and occurrence -- failing with the error kept for its name.  The
// trace and the counts span process starts; ResetMachine leaves them alone.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/windows_api.h"

namespace sim {

// Starts recording: an empty trace, every count at zero, nothing armed.
void StartFaultTrace();
// Starts recording as above and makes the occurrence-th call (0-based) of
// the named function fail.
void ArmFault(const std::string& call, int occurrence);
// Stops recording and disarms; the trace stays readable.
void StopFaultTrace();
// The failable calls made since the last start, in order.
const std::vector<std::string>& FaultTrace();
// True once the armed call has been failed.
bool FaultInjected();

// What the armed call fails with: the last error (or the returned code of a
// registry call or an HRESULT), as the real function gives it.
win::Dword FaultErrorFor(const std::string& call);

// Called at each failable call's start, before anything else: records the
// call and says whether it must fail; error receives the code to fail with.
bool Enter(const char* call, win::Dword* error);

// The answer a question gets when no scripted answer is left; 0 makes an
// unanswered question fail as before.
void SetStandingAnswer(int answer);
int StandingAnswer();

}  // namespace sim

// The first line of a failable simulated call: fails it with the armed
// error, returning the expression failed (which may use simFaultError).
#define SIM_FAULT_POINT(call, failed)       \
  do {                                      \
    win::Dword simFaultError = 0;           \
    if (sim::Enter(call, &simFaultError)) { \
      win::SetLastError(simFaultError);     \
      return failed;                        \
    }                                       \
  } while (0)
