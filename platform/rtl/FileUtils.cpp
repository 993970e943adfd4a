// Files, folders, paths, command line and processes over POSIX (see FileUtils.h).
#include "platform/rtl/FileUtils.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"

extern char** environ;

namespace {

constexpr const char* SCannotCreateDir = "Unable to create directory";

bool IsLead(char c)
{
  const unsigned char b = static_cast<unsigned char>(c);
  return b >= 0x81 && b != 0xFF;
}

bool IsSep(char c)
{
  return c == '/' || c == '\\';
}

// Zero-based position of the last '/' or '\' (or of any byte of extra) that is not a
// trail byte; npos when none.
size_t LastSeparator(const AnsiString& s, const char* extra = "")
{
  size_t found = AnsiString::npos;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (IsLead(c) && i + 1 < s.size()) {
      ++i;
      continue;
    }
    if (IsSep(c) || (c != '\0' && std::strchr(extra, c)))
      found = i;
  }
  return found;
}

// The name with every '\\' that is not a trail byte turned into '/'.
AnsiString ForwardSlashes(const AnsiString& name)
{
  AnsiString s = name;
  for (size_t i = 0; i < s.size(); ++i) {
    if (IsLead(s[i]))
      ++i;
    else if (s[i] == '\\')
      s[i] = '/';
  }
  return s;
}

struct stat* StatOf(const AnsiString& name, struct stat& st)
{
  return ::stat(ToOsFileName(name).c_str(), &st) == 0 ? &st : nullptr;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
Int64 DaysFromCivil(Int64 y, unsigned m, unsigned d)
{
  y -= m <= 2;
  const Int64 era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<Int64>(doe) - 719468;
}

constexpr Int64 kUnixEpochSerial = 25569; // 1970-01-01 as a TDateTime

TDateTime LocalDateTime(const struct timespec& ts)
{
  struct tm lt {};
  const time_t t = ts.tv_sec;
  localtime_r(&t, &lt);
  const Int64 days = DaysFromCivil(lt.tm_year + 1900, static_cast<unsigned>(lt.tm_mon + 1),
                                   static_cast<unsigned>(lt.tm_mday)) +
                     kUnixEpochSerial;
  const double secs = lt.tm_hour * 3600.0 + lt.tm_min * 60.0 + lt.tm_sec + ts.tv_nsec / 1e9;
  return static_cast<double>(days) + secs / 86400.0;
}

Integer PackedDateTime(const struct timespec& ts)
{
  struct tm lt {};
  const time_t t = ts.tv_sec;
  localtime_r(&t, &lt);
  if (lt.tm_year < 80)
    return (1 << 5 | 1) << 16; // before 1980: the earliest packed date
  return static_cast<Integer>(((lt.tm_year - 80) << 25) | ((lt.tm_mon + 1) << 21) |
                              (lt.tm_mday << 16) | (lt.tm_hour << 11) | (lt.tm_min << 5) |
                              (lt.tm_sec / 2));
}

// Writes all of src's remaining bytes to dst.
bool CopyContents(int src, int dst)
{
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(src, buf, sizeof buf);
    if (n == 0)
      return true;
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(dst, buf + done, static_cast<size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR)
          continue;
        return false;
      }
      done += w;
    }
  }
}

// Copies an open source into the new file dst (already created), with mode and times.
bool FillCopy(int src, int dst, const struct stat& st)
{
  if (!CopyContents(src, dst))
    return false;
  ::fchmod(dst, st.st_mode & 07777);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ::futimens(dst, times);
  return true;
}

// ---- Command line ----

struct TCommandLine {
  std::mutex Lock;
  bool Known = false;
  std::vector<AnsiString> Args; // without the program name
};

TCommandLine& CommandLine()
{
  static TCommandLine cl;
  return cl;
}

AnsiString ExePath()
{
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0)
    return AnsiString();
  return FromOsFileName(std::string_view(buf, static_cast<size_t>(n)));
}

void LoadProcCommandLine(TCommandLine& cl)
{
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t start = 0;
  bool first = true;
  while (start < all.size()) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos)
      end = all.size();
    if (!first)
      cl.Args.push_back(Utf8ToGbk(std::string_view(all).substr(start, end - start)));
    first = false;
    start = end + 1;
  }
  cl.Known = true;
}

// ---- Folder listings ----

struct TFindEntry {
  AnsiString Name;
  Integer Attr;
  Int64 Size;
  struct timespec MTime;
};

// A name split into characters (one or two bytes), ASCII letters folded.
std::vector<Word> FoldedChars(const AnsiString& s)
{
  std::vector<Word> r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (IsLead(s[i]) && i + 1 < s.size()) {
      r.push_back(static_cast<Word>((b << 8) | static_cast<unsigned char>(s[i + 1])));
      ++i;
    } else {
      r.push_back((b >= 'A' && b <= 'Z') ? b + 32 : b);
    }
  }
  return r;
}

bool WildMatch(const std::vector<Word>& name, const std::vector<Word>& mask)
{
  size_t n = 0, m = 0;
  size_t starMask = SIZE_MAX, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++n, ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != SIZE_MAX) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*')
    ++m;
  return m == mask.size();
}

} // namespace

struct TFindState {
  std::vector<TFindEntry> Entries;
  size_t Next = 0;
};

namespace {

bool FillNext(TSearchRec& sr)
{
  TFindState* st = sr.FindHandle.get();
  while (st && st->Next < st->Entries.size()) {
    const TFindEntry& e = st->Entries[st->Next++];
    if (e.Attr & sr.ExcludeAttr)
      continue;
    sr.Name = e.Name;
    sr.Attr = e.Attr;
    sr.Size = e.Size;
    sr.TimeStamp = LocalDateTime(e.MTime);
    sr.Time = PackedDateTime(e.MTime);
    return true;
  }
  return false;
}

} // namespace

// ---- OS names ----

UTF8String ToOsFileName(const AnsiString& fileName)
{
  return GbkToUtf8(ForwardSlashes(fileName));
}

AnsiString FromOsFileName(std::string_view osName)
{
  return Utf8ToGbk(osName);
}

// ---- Path text ----

bool IsPathDelimiter(const AnsiString& s, Integer index)
{
  return IsDelimiter("/\\", s, index);
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& s)
{
  return IsPathDelimiter(s, Length(s)) ? s : s + PathDelim;
}

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& s)
{
  return IsPathDelimiter(s, Length(s)) ? s.substr(0, s.size() - 1) : s;
}

AnsiString ExtractFilePath(const AnsiString& fileName)
{
  const size_t p = LastSeparator(fileName);
  return p == AnsiString::npos ? AnsiString() : fileName.substr(0, p + 1);
}

AnsiString ExtractFileDir(const AnsiString& fileName)
{
  const size_t p = LastSeparator(fileName);
  if (p == AnsiString::npos)
    return AnsiString();
  if (p == 0)
    return fileName.substr(0, 1); // the root keeps its delimiter
  return fileName.substr(0, p);
}

AnsiString ExtractFileName(const AnsiString& fileName)
{
  const size_t p = LastSeparator(fileName);
  return p == AnsiString::npos ? fileName : fileName.substr(p + 1);
}

AnsiString ExtractFileExt(const AnsiString& fileName)
{
  const size_t p = LastSeparator(fileName, ".");
  if (p == AnsiString::npos || fileName[p] != '.')
    return AnsiString();
  return fileName.substr(p);
}

AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension)
{
  const size_t p = LastSeparator(fileName, ".");
  if (p == AnsiString::npos || fileName[p] != '.')
    return fileName + extension;
  return fileName.substr(0, p) + extension;
}

AnsiString ExpandFileName(const AnsiString& fileName)
{
  if (fileName.empty())
    return AnsiString();
  AnsiString s = ForwardSlashes(fileName);
  if (s[0] != '/')
    s = IncludeTrailingPathDelimiter(GetCurrentDir()) + s;
  const bool trailing = s.back() == '/';
  std::vector<AnsiString> parts;
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = s.find('/', start); // '/' is never a GBK trail byte
    if (end == AnsiString::npos)
      end = s.size();
    const AnsiString part = s.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty())
        parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  AnsiString r;
  for (const AnsiString& part : parts)
    r += '/' + part;
  if (r.empty() || trailing)
    r += '/';
  return r;
}

// ---- Files and folders ----

bool FileExists(const AnsiString& fileName)
{
  struct stat st;
  return !fileName.empty() && StatOf(fileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const AnsiString& directory)
{
  struct stat st;
  return !directory.empty() && StatOf(directory, st) && S_ISDIR(st.st_mode);
}

bool DeleteFile(const AnsiString& fileName)
{
  return !fileName.empty() && ::unlink(ToOsFileName(fileName).c_str()) == 0;
}

bool CopyFile(const AnsiString& existingName, const AnsiString& newName, bool failIfExists)
{
  const UTF8String src = ToOsFileName(existingName);
  const UTF8String dst = ToOsFileName(newName);
  const int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0)
    return false;
  struct stat st;
  if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(in);
    return false;
  }
  bool ok = false;
  if (failIfExists) {
    const int out = ::open(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out >= 0) {
      ok = FillCopy(in, out, st);
      ok = (::close(out) == 0) && ok;
      if (!ok)
        ::unlink(dst.c_str());
    }
  } else {
    // Write beside the target, then rename over it: readers never see a half copy.
    std::string temp = dst + ".XXXXXX";
    const int out = ::mkostemp(temp.data(), O_CLOEXEC);
    if (out >= 0) {
      ok = FillCopy(in, out, st);
      ok = (::close(out) == 0) && ok;
      ok = ok && ::rename(temp.c_str(), dst.c_str()) == 0;
      if (!ok)
        ::unlink(temp.c_str());
    }
  }
  ::close(in);
  return ok;
}

bool RenameFile(const AnsiString& oldName, const AnsiString& newName)
{
  if (oldName.empty() || newName.empty())
    return false;
  const UTF8String from = ToOsFileName(oldName);
  if (::rename(from.c_str(), ToOsFileName(newName).c_str()) == 0)
    return true;
  if (errno != EXDEV || !FileExists(oldName))
    return false;
  return CopyFile(oldName, newName, false) && ::unlink(from.c_str()) == 0;
}

bool CreateDir(const AnsiString& dir)
{
  return !dir.empty() && ::mkdir(ToOsFileName(dir).c_str(), 0777) == 0;
}

bool RemoveDir(const AnsiString& dir)
{
  return !dir.empty() && ::rmdir(ToOsFileName(dir).c_str()) == 0;
}

bool ForceDirectories(const AnsiString& dir)
{
  if (dir.empty())
    throw EInOutError(SCannotCreateDir, 0);
  const UTF8String path = ToOsFileName(dir);
  // Create each prefix that ends before a '/', then the whole path.
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/')
      continue;
    const std::string prefix = path.substr(0, i);
    if (prefix.back() == '/')
      continue;
    if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
      return false;
  }
  return DirectoryExists(dir);
}

AnsiString GetCurrentDir()
{
  std::string buf(PATH_MAX, '\0');
  if (!::getcwd(buf.data(), buf.size()))
    return AnsiString();
  buf.resize(std::strlen(buf.c_str()));
  return FromOsFileName(buf);
}

bool SetCurrentDir(const AnsiString& dir)
{
  return !dir.empty() && ::chdir(ToOsFileName(dir).c_str()) == 0;
}

bool FileAge(const AnsiString& fileName, TDateTime& fileDateTime)
{
  struct stat st;
  if (fileName.empty() || !StatOf(fileName, st))
    return false;
  fileDateTime = LocalDateTime(st.st_mtim);
  return true;
}

bool FileSetDate(const AnsiString& fileName, TDateTime fileDateTime)
{
  if (!std::isfinite(fileDateTime))
    return false;
  // Break the local date-time into calendar fields and let mktime apply the time zone.
  const double dayPart = std::floor(fileDateTime);
  Int64 z = static_cast<Int64>(dayPart) - kUnixEpochSerial + 719468;
  const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const Int64 y = static_cast<Int64>(yoe) + era * 400 + (m <= 2);
  const double secs = (fileDateTime - dayPart) * 86400.0;
  const long whole = static_cast<long>(std::floor(secs + 0.0005));
  struct tm lt {};
  lt.tm_year = static_cast<int>(y - 1900);
  lt.tm_mon = static_cast<int>(m - 1);
  lt.tm_mday = static_cast<int>(d);
  lt.tm_hour = static_cast<int>(whole / 3600);
  lt.tm_min = static_cast<int>(whole / 60 % 60);
  lt.tm_sec = static_cast<int>(whole % 60);
  lt.tm_isdst = -1;
  const time_t t = std::mktime(&lt);
  if (t == static_cast<time_t>(-1))
    return false;
  const struct timespec times[2] = {{0, UTIME_OMIT}, {t, 0}};
  return ::utimensat(AT_FDCWD, ToOsFileName(fileName).c_str(), times, 0) == 0;
}

// ---- Folder listings ----

bool MatchesFileMask(const AnsiString& fileName, const AnsiString& mask)
{
  if (mask == "*" || mask == "*.*")
    return true;
  const std::vector<Word> name = FoldedChars(fileName);
  const std::vector<Word> m = FoldedChars(mask);
  if (WildMatch(name, m))
    return true;
  // "name.*" also matches "name" without an extension.
  if (m.size() >= 2 && m[m.size() - 2] == '.' && m.back() == '*' &&
      fileName.find('.') == AnsiString::npos)
    return WildMatch(name, std::vector<Word>(m.begin(), m.end() - 2));
  return false;
}

Integer FindFirst(const AnsiString& path, Integer attr, TSearchRec& sr)
{
  FindClose(sr);
  sr.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  AnsiString dir = ExtractFilePath(path);
  const AnsiString mask = ExtractFileName(path);
  const UTF8String osDir = ToOsFileName(dir.empty() ? AnsiString(".") : dir);
  DIR* d = ::opendir(osDir.c_str());
  if (!d)
    return errno ? errno : ENOENT;
  auto state = std::make_shared<TFindState>();
  const bool isRoot = ExpandFileName(dir.empty() ? AnsiString(".") : dir) == "/";
  while (const struct dirent* e = ::readdir(d)) {
    const std::string osName = e->d_name;
    const bool dots = osName == "." || osName == "..";
    if (dots && isRoot)
      continue;
    const AnsiString name = FromOsFileName(osName);
    if (!MatchesFileMask(name, mask))
      continue;
    const std::string full = (osDir.back() == '/' ? osDir : osDir + '/') + osName;
    struct stat st;
    struct stat lst;
    if (::lstat(full.c_str(), &lst) != 0)
      continue;
    const bool link = S_ISLNK(lst.st_mode);
    if (!link || ::stat(full.c_str(), &st) != 0)
      st = lst; // a dangling link is listed as what it is
    TFindEntry entry{name, 0, 0, st.st_mtim};
    if (S_ISDIR(st.st_mode))
      entry.Attr |= faDirectory;
    else if (S_ISREG(st.st_mode))
      entry.Size = st.st_size;
    else if (!link)
      entry.Attr |= faSysFile;
    if (link)
      entry.Attr |= faSymLink;
    if (!dots && osName[0] == '.')
      entry.Attr |= faHidden;
    if (!dots && ::access(full.c_str(), W_OK) != 0 && !S_ISDIR(st.st_mode))
      entry.Attr |= faReadOnly;
    state->Entries.push_back(std::move(entry));
  }
  ::closedir(d);
  std::sort(state->Entries.begin(), state->Entries.end(),
            [](const TFindEntry& a, const TFindEntry& b) {
              const Integer c = CompareText(a.Name, b.Name);
              return c != 0 ? c < 0 : CompareStr(a.Name, b.Name) < 0;
            });
  sr.FindHandle = std::move(state);
  if (!FillNext(sr)) {
    FindClose(sr);
    return ENOENT;
  }
  return 0;
}

Integer FindNext(TSearchRec& sr)
{
  return FillNext(sr) ? 0 : ENOENT;
}

void FindClose(TSearchRec& sr)
{
  sr.FindHandle.reset();
}

// ---- Program, command line, environment ----

AnsiString ProgramDir()
{
  const char* home = std::getenv("QHWBP_HOME");
  if (home && *home)
    return IncludeTrailingPathDelimiter(ExpandFileName(FromOsFileName(home)));
  return ExtractFilePath(ExePath());
}

void SetCommandLine(int argc, char** argv)
{
  TCommandLine& cl = CommandLine();
  std::lock_guard<std::mutex> guard(cl.Lock);
  cl.Args.clear();
  for (int i = 1; i < argc; ++i)
    cl.Args.push_back(Utf8ToGbk(argv[i] ? argv[i] : ""));
  cl.Known = true;
}

Integer ParamCount()
{
  TCommandLine& cl = CommandLine();
  std::lock_guard<std::mutex> guard(cl.Lock);
  if (!cl.Known)
    LoadProcCommandLine(cl);
  return static_cast<Integer>(cl.Args.size());
}

AnsiString ParamStr(Integer index)
{
  if (index == 0)
    return ExePath();
  TCommandLine& cl = CommandLine();
  std::lock_guard<std::mutex> guard(cl.Lock);
  if (!cl.Known)
    LoadProcCommandLine(cl);
  if (index < 0 || static_cast<size_t>(index) > cl.Args.size())
    return AnsiString();
  return cl.Args[static_cast<size_t>(index - 1)];
}

AnsiString GetEnvironmentVariable(const AnsiString& name)
{
  const char* v = std::getenv(GbkToUtf8(name).c_str());
  return v ? Utf8ToGbk(v) : AnsiString();
}

AnsiString GetTempPath()
{
  const AnsiString dir = GetEnvironmentVariable("TMPDIR");
  return IncludeTrailingPathDelimiter(dir.empty() ? AnsiString("/tmp") : dir);
}

AnsiString GetTempFileName(const AnsiString& dir, const AnsiString& prefix)
{
  const AnsiString folder = IncludeTrailingPathDelimiter(dir.empty() ? GetTempPath() : dir);
  std::string templ = ToOsFileName(folder + prefix) + "XXXXXX.tmp";
  const int fd = ::mkostemps(templ.data(), 4, O_CLOEXEC);
  if (fd < 0)
    return AnsiString();
  ::close(fd);
  return FromOsFileName(templ);
}

namespace {

// The UTF-8 argument vector of a child process; Argv() points into Strings.
struct TChildArgs {
  std::vector<std::string> Strings;
  std::vector<char*> Pointers;

  TChildArgs(const AnsiString& program, const std::vector<AnsiString>& args)
  {
    Strings.push_back(ToOsFileName(program));
    for (const AnsiString& a : args)
      Strings.push_back(GbkToUtf8(a));
    for (std::string& a : Strings)
      Pointers.push_back(a.data());
    Pointers.push_back(nullptr);
  }
  char** Argv() { return Pointers.data(); }
};

// Waits for a child; its exit code, 128 + signal when killed, -1 when waiting fails.
Integer WaitForChild(pid_t pid)
{
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return -1;
  }
  if (WIFEXITED(status))
    return WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return -1;
}

// The parent's environment with the given variables set or (empty value) removed.
std::vector<std::string>
ChildEnvironment(const std::vector<std::pair<AnsiString, AnsiString>>& changes)
{
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool changed = false;
    for (const auto& change : changes)
      changed = changed || GbkToUtf8(change.first) == name;
    if (!changed)
      env.push_back(entry);
  }
  for (const auto& change : changes)
    if (!change.second.empty())
      env.push_back(GbkToUtf8(change.first) + "=" + GbkToUtf8(change.second));
  return env;
}

} // namespace

Integer ExecuteProcess(const AnsiString& program, const std::vector<AnsiString>& args,
                       TProcessWait wait)
{
  if (program.empty())
    return -1;
  TChildArgs argv(program, args);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, argv.Argv()[0], nullptr, nullptr, argv.Argv(), environ) != 0)
    return -1;
  if (wait == pwNoWait) {
    std::thread([pid] { WaitForChild(pid); }).detach(); // reaps the child: no zombie is left
    return 0;
  }
  return WaitForChild(pid);
}

Integer ExecuteProcess(const AnsiString& program, const std::vector<AnsiString>& args,
                       const TProcessOptions& options)
{
  if (program.empty())
    return -1;
  TChildArgs argv(program, args);
  std::vector<std::string> envStrings = ChildEnvironment(options.Environment);
  std::vector<char*> envp;
  for (std::string& e : envStrings)
    envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  const std::string outputFile = ToOsFileName(options.OutputFile);
  if (!options.OutputFile.empty()) {
    ::posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(),
                                       O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::posix_spawn_file_actions_adddup2(&actions, 1, 2);
  }
  int errPipe[2] = {-1, -1};
  if (options.ErrorOutput) {
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
      ::posix_spawn_file_actions_destroy(&actions);
      return -1;
    }
    ::posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  }
  pid_t pid = 0;
  const int spawned =
      ::posix_spawnp(&pid, argv.Argv()[0], &actions, nullptr, argv.Argv(), envp.data());
  ::posix_spawn_file_actions_destroy(&actions);
  if (options.ErrorOutput) {
    ::close(errPipe[1]);
    if (spawned == 0) {
      char buf[4096];
      for (;;) {
        const ssize_t n = ::read(errPipe[0], buf, sizeof buf);
        if (n > 0)
          options.ErrorOutput->append(buf, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
          break;
      }
    }
    ::close(errPipe[0]);
  }
  if (spawned != 0)
    return -1;
  return WaitForChild(pid);
}
