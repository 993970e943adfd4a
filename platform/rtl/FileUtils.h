// Files, folders and paths with GBK names, the program's directory and command line,
// temporary files, the environment and starting processes. Names are GBK AnsiStrings
// inside the program and UTF-8 at every call into the OS (through Codec.h). Paths may
// come from stored data written on the Windows platform: '\' is accepted as a separator
// wherever '/' is (never a GBK trail byte 0x5C), and becomes '/' at the OS call.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/rtl/Codec.h"
#include "platform/rtl/Types.h"

constexpr char PathDelim = '/';

// The UTF-8 name the OS sees for a program file name ('\' -> '/'), and back (characters
// GBK cannot hold become '?').
UTF8String ToOsFileName(const AnsiString& fileName);
AnsiString FromOsFileName(std::string_view osName);

// ---- Path text (no file system access) ----

// Whether position index holds '/' or '\' (and not a trail byte).
bool IsPathDelimiter(const AnsiString& s, Integer index);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& s);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& s);
// Up to and including the last delimiter ("" when none).
AnsiString ExtractFilePath(const AnsiString& fileName);
// The folder part without its trailing delimiter (the root keeps it).
AnsiString ExtractFileDir(const AnsiString& fileName);
AnsiString ExtractFileName(const AnsiString& fileName);
// The extension with its dot, "" when the name part has no dot.
AnsiString ExtractFileExt(const AnsiString& fileName);
// Replaces the extension (or appends one); extension includes its dot.
AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension);
// An absolute path with '/' separators, "." and ".." resolved as text (symbolic links
// are not followed); relative names start at the current folder; "" stays "".
AnsiString ExpandFileName(const AnsiString& fileName);

// ---- Files and folders ----

bool FileExists(const AnsiString& fileName); // a file, not a folder
bool DirectoryExists(const AnsiString& directory);
bool DeleteFile(const AnsiString& fileName);
// Copies contents, permissions and modification time. failIfExists: fail when newName
// exists; otherwise newName is replaced atomically (readers see the old or the new file).
bool CopyFile(const AnsiString& existingName, const AnsiString& newName, bool failIfExists);
// Renames, atomically replacing an existing newName; across file systems a file is
// copied and the original deleted.
bool RenameFile(const AnsiString& oldName, const AnsiString& newName);
bool CreateDir(const AnsiString& dir);
bool RemoveDir(const AnsiString& dir); // an empty folder
// Creates dir and every missing parent; true when dir exists afterwards. An empty name
// raises EInOutError "Unable to create directory".
bool ForceDirectories(const AnsiString& dir);
AnsiString GetCurrentDir();
bool SetCurrentDir(const AnsiString& dir);
// Modification time as local date-time; false when the file does not exist.
bool FileAge(const AnsiString& fileName, TDateTime& fileDateTime);
bool FileSetDate(const AnsiString& fileName, TDateTime fileDateTime);

// ---- Folder listings ----

// Attribute bits. faHidden marks names starting with '.'; faSysFile anything that is
// neither file nor folder (devices, pipes, sockets); faReadOnly files the user cannot
// write; faSymLink symbolic links (described by what they point to). faVolumeID and
// faArchive are never set.
constexpr Integer faReadOnly = 0x01;
constexpr Integer faHidden = 0x02;
constexpr Integer faSysFile = 0x04;
constexpr Integer faVolumeID = 0x08;
constexpr Integer faDirectory = 0x10;
constexpr Integer faArchive = 0x20;
constexpr Integer faSymLink = 0x40;
constexpr Integer faAnyFile = 0x3F;

struct TFindState;

struct TSearchRec {
  Integer Time = 0;        // modification time, packed date-time (local)
  TDateTime TimeStamp = 0; // modification time (local)
  Int64 Size = 0;
  Integer Attr = 0;
  AnsiString Name; // the name only, GBK
  Integer ExcludeAttr = 0;
  std::shared_ptr<TFindState> FindHandle;
};

// Lists the entries of a folder that match a mask ("dir/*.fr3"; '*' and '?', letters
// matched ignoring case, "*.*" matches every name). Plain files always match the
// attributes; hidden, system and folder entries only when attr asks for them. Folders
// other than the root list "." and ".." as folders. Entries come in name order.
// Returns 0 and fills sr, or a non-zero error code (nothing found: ENOENT).
Integer FindFirst(const AnsiString& path, Integer attr, TSearchRec& sr);
Integer FindNext(TSearchRec& sr);
void FindClose(TSearchRec& sr);

// Whether fileName matches mask under the rules FindFirst uses.
bool MatchesFileMask(const AnsiString& fileName, const AnsiString& mask);

// ---- Program, command line, environment ----

// The folder of the running executable with a trailing '/', or $QHWBP_HOME when set.
AnsiString ProgramDir();
// Keeps the command line for ParamCount/ParamStr; the program entry and test mains call
// it. Without it the kernel's record of the command line is read.
void SetCommandLine(int argc, char** argv);
Integer ParamCount();
// ParamStr(0) is the resolved path of the executable; "" past ParamCount().
AnsiString ParamStr(Integer index);

AnsiString GetEnvironmentVariable(const AnsiString& name);
// $TMPDIR or /tmp, with a trailing '/'.
AnsiString GetTempPath();
// Creates a new empty file dir + prefix + six random characters + ".tmp" (dir "" means
// GetTempPath) and returns its name; "" on failure. The caller deletes it.
AnsiString GetTempFileName(const AnsiString& dir, const AnsiString& prefix);

enum TProcessWait { pwWait, pwNoWait };
// Starts program (searched on PATH when it has no '/') with args, never through a shell.
// pwWait: returns its exit code (128 + signal when killed); pwNoWait: returns 0 once
// started. -1 when it cannot be started.
Integer ExecuteProcess(const AnsiString& program, const std::vector<AnsiString>& args,
                       TProcessWait wait = pwWait);

// What a waited-for child gets besides its arguments.
struct TProcessOptions {
  // Variables set in the child's environment only; an empty value removes the variable.
  std::vector<std::pair<AnsiString, AnsiString>> Environment;
  // When not empty: the child's standard output and error are appended to this file.
  AnsiString OutputFile;
  // When given: receives the child's standard error (OutputFile then takes only the output).
  std::string* ErrorOutput = nullptr;
};
// Starts program like ExecuteProcess and waits for it; returns its exit code (128 + signal
// when killed), -1 when it cannot be started.
Integer ExecuteProcess(const AnsiString& program, const std::vector<AnsiString>& args,
                       const TProcessOptions& options);
