// Data clearing: empties the personnel tables (detail data, or all user data) in one
// transaction; the program then restarts.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

class TClearDataFrm {
public:
  // The tables emptied, in order: the detail tables, then with AllData the staff records
  // and departments as well.
  static std::vector<AnsiString> ClearedTables(bool AllData);
  // Runs "delete from <table>" for each table in one transaction on Db. A failing
  // statement rolls everything back and its error is raised.
  static void ClearTables(bool AllData);
};
