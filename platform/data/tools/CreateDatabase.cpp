// qhwbp-createdb: creates the embedded default database (an SQLite file holding the
// application's tables and seed rows, Schema.h). Usage: qhwbp-createdb [path]; without a
// path it creates qhwbp.mdb in the program's directory ($QHWBP_HOME when set). An existing
// file is left alone (exit code 0), so set-up may run it every time.
#include <cstdio>

#include "platform/data/Schema.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Units.h"

void RegisterDataUnits();

int main(int argc, char** argv)
{
  SetCommandLine(argc, argv);
  RegisterRtlUnits();
  RegisterDataUnits();
  InitializeUnits();
  int result = 0;
  AnsiString path = argc > 1 ? Utf8ToGbk(argv[1]) : ProgramDir() + "qhwbp.mdb";
  if (FileExists(path)) {
    std::printf("%s already exists; left unchanged\n", GbkToUtf8(path).c_str());
  } else {
    try {
      CreateDatabaseFile(path);
      std::printf("created %s\n", GbkToUtf8(path).c_str());
    } catch (const Exception& e) {
      std::fprintf(stderr, "qhwbp-createdb: %s\n", GbkToUtf8(e.Message()).c_str());
      result = 1;
    }
  }
  FinalizeUnits();
  return result;
}
