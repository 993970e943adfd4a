// Test support for the program's units: a temporary program directory (cfg.ini, the
// settings store's files) and a recorder that answers message boxes.
#pragma once

#include <dirent.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/rtl/Registry.h"

// A temporary program directory ($QHWBP_HOME) with the settings store's files in it, for
// one test's life.
class TTempProgramDir {
public:
  TTempProgramDir()
  {
    char pattern[] = "/tmp/qhwbp-app-XXXXXX";
    if (!mkdtemp(pattern))
      throw std::runtime_error("mkdtemp");
    Dir = std::string(pattern) + "/";
    setenv("QHWBP_HOME", pattern, 1);
    SetRegistryRoots(Dir + "registry.ini", Dir + "registry-HKLM.ini");
    FSavedShortName = ProductShortName;
    ProductShortName = "qhwbp";
  }

  ~TTempProgramDir()
  {
    ProductShortName = FSavedShortName;
    SetRegistryRoots("", "");
    unsetenv("QHWBP_HOME");
    if (DIR* d = opendir(Dir.c_str())) {
      while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
          unlink((Dir + name).c_str());
      }
      closedir(d);
    }
    rmdir(Dir.c_str());
  }

  std::string Dir;

private:
  AnsiString FSavedShortName;
};

inline std::string ReadFileBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A test with its own program directory.
class TProgramDirTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    FDir = std::make_unique<TTempProgramDir>();
    Dir = FDir->Dir;
  }
  void TearDown() override { FDir.reset(); }

  static std::string ReadFile(const std::string& path) { return ReadFileBytes(path); }
  static void WriteFile(const std::string& path, const std::string& bytes)
  {
    WriteFileBytes(path, bytes);
  }

  // Copies tests/fixtures/app/<name> to cfg.ini in the program directory.
  void UseConfig(const std::string& name)
  {
    WriteFile(Dir + "cfg.ini", ReadFile(std::string(QH_FIXTURES) + "/app/" + name));
  }

  std::string ConfigText() const { return ReadFile(Dir + "cfg.ini"); }

  std::string Dir;

private:
  std::unique_ptr<TTempProgramDir> FDir;
};

// Records every message box and answers it with Answer.
class TMessageBoxRecorder {
public:
  struct TBox {
    AnsiString Text;
    AnsiString Caption;
    Cardinal Flags;
  };

  explicit TMessageBoxRecorder(Integer answer = 1 /* IDOK */) : Answer(answer)
  {
    FPrevious =
        SetAppMessageBox([this](const AnsiString& text, const AnsiString& caption, Cardinal flags) {
          Boxes.push_back({text, caption, flags});
          return Answer;
        });
  }
  ~TMessageBoxRecorder() { SetAppMessageBox(FPrevious); }

  Integer Answer;
  std::vector<TBox> Boxes;

private:
  TAppMessageBox FPrevious;
};
