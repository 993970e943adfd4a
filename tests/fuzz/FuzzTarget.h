// Fuzz targets: each reader of outside input has one entry that takes arbitrary bytes, reads
// them as a user could hand them to the program, and where the reader has a writer, writes
// the result back, reads it again and compares. The same entries serve two callers: the
// fuzz drivers built by scripts/fuzz (FuzzMain.cpp) and the replay of kept inputs in the
// normal test binaries (FuzzReplay.cpp). tests/fuzz/FuzzTargets.cmake lists the targets.
//
// Outcomes of one input:
//   returns normally          the input was read (and survived its round trip)
//   throws an Exception       the reader refused the input cleanly; its message is kept
//   throws EFuzzCheckFailed   a round trip or invariant check found a fault
//   anything else             a fault: another exception type, a crash, a sanitizer report
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A fault found by a target's own checks. Deliberately not an Exception, so neither the
// readers nor the fuzzed scripts can catch it as one of their own errors.
class EFuzzCheckFailed : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

// Raises EFuzzCheckFailed with What when Condition does not hold.
void FuzzCheck(bool Condition, const std::string& What);

using TFuzzEntry = void (*)(const std::string& Input);

struct TFuzzTarget {
  const char* Name;
  TFuzzEntry Run;
  // Where its kept inputs are, as ';'-separated patterns relative to tests/fixtures/fuzz
  // ("<Name>/*" when none is given, e.g. "pictures/*" or "script/*.js").
  const char* Kept;
};

// The targets linked into this program, in the order they registered.
const std::vector<TFuzzTarget>& FuzzTargets();
// The target called Name, or null.
const TFuzzTarget* FindFuzzTarget(const std::string& Name);

// Registers a target from a namespace-scope object in its own file. Only appends to a list
// that is read after main starts, so the order of static initialisation does not matter.
struct TFuzzRegistration {
  TFuzzRegistration(const char* Name, TFuzzEntry Run, const char* Kept = nullptr);
};

#define QH_FUZZ_CONCAT_(a, b) a##b
#define QH_FUZZ_CONCAT(a, b) QH_FUZZ_CONCAT_(a, b)
// QH_FUZZ_TARGET("name", Function [, "kept patterns"]): Function(const std::string&) becomes
// target "name".
#define QH_FUZZ_TARGET(Name, ...)                                                                  \
  static const TFuzzRegistration QH_FUZZ_CONCAT(FuzzRegistration, __LINE__)(Name, __VA_ARGS__)
