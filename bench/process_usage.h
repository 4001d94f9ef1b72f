// What the kernel counts for the bench process: its resident memory now and
// at its peak (which can be reset, so that the peak of one measured step can
// be told from what came before), and the processor time used by the process
// and by its ended child processes (the reference tools).  Processor time
// is much less disturbed than wall time by other work on a busy machine.
// Benchmarks run on Linux only; elsewhere every figure is -1.
#pragma once

#include <string>

namespace corvane::bench {

// The value in KiB of a field ("VmRSS", "VmHWM") of a /proc/<pid>/status
// text; -1 when the field is missing or unreadable.
long long StatusFieldKib(const std::string& status_text, const std::string& field);

// Resident size now, in KiB; -1 when unknown.
long long ResidentKib();
// Highest resident size since the start or the last ResetPeakResident; -1
// when unknown.
long long PeakResidentKib();
// Starts a new peak at the present resident size.  False when the kernel
// does not allow it (the peak then covers the whole life of the process).
bool ResetPeakResident();

// Has the kernel write out every file written so far (sync): a measurement
// then does not share the machine with the flushing of what an earlier step,
// or an earlier benchmark, wrote.
void FlushWrittenFiles();

// User plus system time in milliseconds, of this process and of all its
// child processes that have ended and been collected.
double OwnCpuMs();
double ChildrenCpuMs();
// User plus system time in milliseconds of the calling thread alone.
double ThreadCpuMs();

}  // namespace corvane::bench
