// The entry of a fuzz driver: one target (QH_FUZZ_TARGET_NAME, set by the build) run on
// each file named on the command line, or on standard input without one. A clean refusal
// (an Exception) ends normally; a failed check or any other exception aborts, which the
// fuzzer records as a crash. scripts/fuzz builds and runs the drivers.
//
// Deferred start: the fuzzer's classic GCC mode starts its fork server at the first
// instrumented instruction, so every run would pay for the sanitizers' start, the unit
// start-up and the first use of the codec tables again (some 200 ms). Instead, a function
// that the instrumentation does not see hides the fork server's descriptors before any
// instrumented code runs (the instrumented code then finds no fuzzer, records coverage and
// goes on), and main serves the fork server protocol itself once everything is warm. Each
// forked child then runs many inputs, stopping itself after each (persistent mode).
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Units.h"
#include "tests/fuzz/FuzzTarget.h"

void RegisterTestUnits();

// Where the fork server's descriptors (control 198, status 199) are kept.
constexpr int KeptControl = 1198;
constexpr int KeptStatus = 1199;

#if defined(__x86_64__)
// Runs from .preinit_array, before any constructor: dup2(198, 1198), dup2(199, 1199),
// close(198), close(199), as raw system calls. Inline assembly is not instrumented, so this
// runs before the instrumentation's own fork server looks for the descriptors. Without a
// fuzzer the descriptors are not open and every call fails harmlessly.
asm(R"(
  .text
  .type qh_fuzz_hide_fork_server, @function
qh_fuzz_hide_fork_server:
  mov $198, %edi
  mov $1198, %esi
  mov $33, %eax
  syscall
  mov $199, %edi
  mov $1199, %esi
  mov $33, %eax
  syscall
  mov $198, %edi
  mov $3, %eax
  syscall
  mov $199, %edi
  mov $3, %eax
  syscall
  ret
  .size qh_fuzz_hide_fork_server, .-qh_fuzz_hide_fork_server
  .section .preinit_array, "aw"
  .balign 8
  .quad qh_fuzz_hide_fork_server
  .text
)");
#endif

namespace {

// Inputs one forked child runs before it leaves and the next fork starts afresh.
constexpr int RunsPerChild = 500;

// Serves the fork server protocol on the kept descriptors when a fuzzer started us: says
// hello, then per request lets a child run one input and reports the child's pid and
// status. A child that stopped itself after a run (persistent mode) is woken up for the
// next request; otherwise a new child is forked, which returns from here. Returns false at
// once without a fuzzer, true in a child.
bool ServeForkServer()
{
  if (fcntl(KeptStatus, F_GETFD) < 0)
    return false;
  std::uint32_t message = 0;
  if (write(KeptStatus, &message, 4) != 4)
    return false;
  pid_t child = -1;
  bool stopped = false;
  int status = 0;
  for (;;) {
    // The fuzzer says whether it killed the last child (a time-out).
    std::uint32_t killed = 0;
    if (read(KeptControl, &killed, 4) != 4)
      _exit(0);
    if (stopped && killed) {
      stopped = false;
      if (waitpid(child, &status, 0) < 0)
        _exit(1);
    }
    if (stopped) {
      kill(child, SIGCONT);
      stopped = false;
    } else {
      child = fork();
      if (child < 0)
        _exit(1);
      if (child == 0) {
        close(KeptControl);
        close(KeptStatus);
        return true;
      }
    }
    if (write(KeptStatus, &child, 4) != 4)
      _exit(1);
    if (waitpid(child, &status, WUNTRACED) < 0)
      _exit(1);
    stopped = WIFSTOPPED(status);
    if (write(KeptStatus, &status, 4) != 4)
      _exit(1);
  }
}

std::string ReadAll(std::istream& In)
{
  std::ostringstream out;
  out << In.rdbuf();
  return out.str();
}

// Runs the target on one input; with Verbose, says how it ended.
void RunOne(const TFuzzTarget& Target, const std::string& Input, bool Verbose)
{
  try {
    Target.Run(Input);
    if (Verbose)
      std::cerr << Target.Name << ": accepted\n";
  } catch (const Exception& e) {
    if (Verbose)
      std::cerr << Target.Name << ": refused: " << e.Message() << "\n";
  } catch (const EFuzzCheckFailed& e) {
    std::cerr << Target.Name << ": check failed: " << e.what() << "\n";
    std::abort();
  } catch (const std::exception& e) {
    std::cerr << Target.Name << ": unexpected exception: " << e.what() << "\n";
    std::abort();
  } catch (...) {
    std::cerr << Target.Name << ": unexpected exception of unknown type\n";
    std::abort();
  }
}

} // namespace

int main(int argc, char** argv)
{
  RegisterTestUnits();
  InitializeUnits();
  const TFuzzTarget* target = FindFuzzTarget(QH_FUZZ_TARGET_NAME);
  if (!target) {
    std::cerr << "target " << QH_FUZZ_TARGET_NAME << " is not linked into this driver\n";
    return 2;
  }
  // Warm up: the first run of a target fills the caches and tables it keeps.
  try {
    target->Run(std::string());
  } catch (...) {
  }
  const bool forked = ServeForkServer();
  std::vector<std::string> files;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "-v")
      verbose = true;
    else
      files.push_back(argv[i]);
  }
  if (forked && !files.empty()) {
    // Persistent mode: the fuzzer rewrites the input file before each request. Stopping
    // tells the fork server that a run is over; each page a forked child writes has to be
    // copied first, so running many inputs per child is several times faster.
    for (int run = 1;; ++run) {
      for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        RunOne(*target, ReadAll(in), false);
      }
      if (run == RunsPerChild)
        _exit(0);
      raise(SIGSTOP);
    }
  }
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::cerr << "cannot open " << file << "\n";
      return 2;
    }
    if (verbose)
      std::cerr << file << ": ";
    RunOne(*target, ReadAll(in), verbose);
  }
  if (files.empty())
    RunOne(*target, ReadAll(std::cin), verbose);
  // A child of the fork server leaves at once: shutting the units down and running the
  // static destructors would cost more than the input did.
  if (forked)
    _exit(0);
  FinalizeUnits();
  return 0;
}
