// Fuzz target "dip-reply": the input as the DIP server's HTTP reply (app/qhProj.h), the one
// reply the program turns into settings. A reply read is built into the connection string
// the program connects with; both connection-string readers must give back each value the
// reply named, whatever bytes it holds.
#include "app/Database.h"
#include "app/qhProj.h"
#include "platform/data/ADODB.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

void CheckValue(const std::vector<TConnectionItem>& Items, const AnsiString& ConnectionString,
                const char* Key, const AnsiString& Expected)
{
  FuzzCheck(ConnectionItemValue(Items, Key) == Expected,
            std::string("the driver reads ") + Key +
                " differently from the reply: " + ConnectionString);
  FuzzCheck(ConnectionStringValue(ConnectionString, Key) == Expected,
            std::string("the program reads ") + Key +
                " differently from the reply: " + ConnectionString);
}

void FuzzDipReply(const std::string& Input)
{
  TDipReply reply;
  if (!ParseDipReply(AnsiString(Input), reply))
    return;
  const AnsiString connection =
      DipConnectionString(reply.Server, reply.User, reply.Password, reply.Database);
  const std::vector<TConnectionItem> items = ParseConnectionString(connection);
  CheckValue(items, connection, "Data Source", reply.Server);
  CheckValue(items, connection, "User ID", reply.User);
  CheckValue(items, connection, "Password", reply.Password);
  CheckValue(items, connection, "Initial Catalog", reply.Database);
}

} // namespace

QH_FUZZ_TARGET("dip-reply", FuzzDipReply);
