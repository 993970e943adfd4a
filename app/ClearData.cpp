#include "app/ClearData.h"

#include "app/Database.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Exceptions.h"

std::vector<AnsiString> TClearDataFrm::ClearedTables(bool AllData)
{
  std::vector<AnsiString> tables{"gz_accountemp", "certificates", "tests",        "Zpapply",
                                 "Zpjobs",        "Trains",       "TrainCourses", "TrainOrgans",
                                 "contracts",     "postmove",     "rewards",      "vacation",
                                 "emptrials"};
  if (AllData)
    for (const char* table :
         {"empback", "empjout", "empjoin", "photo", "empimages", "employee", "department"})
      tables.push_back(table);
  return tables;
}

void TClearDataFrm::ClearTables(bool AllData)
{
  Db->BeginTrans();
  try {
    for (const AnsiString& table : ClearedTables(AllData))
      Db->Execute(GbkToWide("delete from " + table));
  } catch (...) {
    Db->RollbackTrans();
    throw;
  }
  Db->CommitTrans();
}
