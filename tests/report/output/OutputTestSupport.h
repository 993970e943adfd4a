// Helpers of the export and barcode tests: where sample outputs go, and running the outside
// programs (zbarimg, pdftotext, qpdf ...) that read them back.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/rtl/Types.h"

// Sample outputs are written into the folder the tests run in (the build folder).
inline std::string OutputPath(const std::string& Name)
{
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd))
    return Name;
  return std::string(cwd) + "/" + Name;
}

// Runs a command line through the shell (test inputs only) and returns its standard output;
// ExitCode receives its exit status.
inline std::string RunProgram(const std::string& Command, int* ExitCode = nullptr)
{
  std::string out;
  FILE* p = popen(Command.c_str(), "r");
  if (!p) {
    if (ExitCode)
      *ExitCode = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0)
    out.append(buf, n);
  const int status = pclose(p);
  if (ExitCode)
    *ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

inline bool ProgramAvailable(const std::string& Name)
{
  int code = 0;
  RunProgram("command -v " + Name + " >/dev/null 2>&1", &code);
  return code == 0;
}

// The whole file; false when it cannot be read.
inline bool ReadFileBytes(const std::string& Name, std::string& Bytes)
{
  std::ifstream in(Name, std::ios::binary);
  if (!in)
    return false;
  Bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// The text without trailing line ends.
inline std::string Chomp(std::string s)
{
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
    s.pop_back();
  return s;
}
