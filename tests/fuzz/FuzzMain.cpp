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
// goes on), and main serves the fork server protocol itself once everything is warm.
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

// Serves the fork server protocol on the kept descriptors when a fuzzer started us: says
// hello, then per request forks a child that returns from here to run one input, and
// reports its pid and exit status. Returns at once without a fuzzer.
void ServeForkServer()
{
  if (fcntl(KeptStatus, F_GETFD) < 0)
    return;
  std::uint32_t message = 0;
  if (write(KeptStatus, &message, 4) != 4)
    return;
  for (;;) {
    if (read(KeptControl, &message, 4) != 4)
      _exit(0);
    const pid_t child = fork();
    if (child < 0)
      _exit(1);
    if (child == 0) {
      close(KeptControl);
      close(KeptStatus);
      return;
    }
    if (write(KeptStatus, &child, 4) != 4)
      _exit(1);
    int status = 0;
    if (waitpid(child, &status, 0) < 0)
      _exit(1);
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
  ServeForkServer();
  bool verbose = false;
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-v") {
      verbose = true;
      continue;
    }
    std::ifstream in(arg, std::ios::binary);
    if (!in) {
      std::cerr << "cannot open " << arg << "\n";
      return 2;
    }
    if (verbose)
      std::cerr << arg << ": ";
    RunOne(*target, ReadAll(in), verbose);
    ++files;
  }
  if (files == 0)
    RunOne(*target, ReadAll(std::cin), verbose);
  FinalizeUnits();
  return 0;
}
