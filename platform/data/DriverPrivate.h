// The driver interface behind TADOConnection (ADODB.h), the statement rewriting shared by
// the drivers, and the driver factories. Not for use outside platform/data.
//
// A statement travels: ":Name" text (GBK) -> RewriteSql (parameters to ?N or $N, "top n"
// to "limit n", brackets on PostgreSQL) -> the driver (UTF-8, values bound by index).
#pragma once

#include <memory>
#include <vector>

#include "platform/data/ADODB.h"

namespace data_detail {

enum TSqlDialect { sdSQLite, sdPostgreSQL };

struct TColumn {
  AnsiString Name; // as the database gives it (GBK)
  TFieldType DataType = ftString;
  Integer Size = 0; // string columns: GBK byte capacity
};

struct TResultSet {
  std::vector<TColumn> Columns;
  std::vector<std::vector<Variant>> Rows;
  Integer RowsAffected = 0;
};

// A parameter value bound by position; DataType tells blobs (bytes) from text.
struct TBoundParam {
  Variant Value;
  TFieldType DataType = ftUnknown;
};

class TDriver {
public:
  virtual ~TDriver() = default;
  virtual TSqlDialect Dialect() const = 0;
  // False once the connection is gone: the server closed it or stopped, or the database
  // file was removed. A driver that is not alive is replaced by a new connection.
  virtual bool Alive() const = 0;
  // Runs one rewritten statement, or several in order when there are no parameters; rows
  // come from the last statement that returns any. With WantRows the rows are fetched;
  // otherwise only the number of rows affected is reported. Failures raise EDatabaseError with the
  // database's message.
  virtual TResultSet Execute(const AnsiString& Sql, const std::vector<TBoundParam>& Params,
                             bool WantRows, Integer TimeoutSeconds) = 0;
  virtual void BeginTrans() = 0;
  // Raises when the database rolled the transaction back instead of committing it.
  virtual void CommitTrans() = 0;
  virtual void RollbackTrans() = 0;
  virtual AnsiString DatabaseName() const = 0;
  virtual void Backup(const AnsiString& Path) = 0;
  // Restores from Path; the caller has the connection re-opened afterwards when needed.
  virtual void Restore(const AnsiString& Path, const std::vector<AnsiString>& RequiredTables) = 0;
};

std::unique_ptr<TDriver> CreateSQLiteDriver(const std::vector<TConnectionItem>& Items,
                                            Integer ConnectionTimeout);
std::unique_ptr<TDriver> CreatePostgreSQLDriver(const std::vector<TConnectionItem>& Items,
                                                Integer ConnectionTimeout, Integer CommandTimeout);

// The statement in the dialect's form: each ":Name" becomes the position of its name in
// Names (1-based) as "?N" (SQLite) or "$N" (PostgreSQL); "select [distinct] top n ..."
// becomes "select ... limit n"; on PostgreSQL "[name]" becomes name (quoted when it is
// not a plain identifier). Literals and comments are left alone.
AnsiString RewriteSql(const AnsiString& Sql, TSqlDialect Dialect,
                      const std::vector<AnsiString>& Names);

// How many statements the text holds: the parts between semicolons outside literals and
// comments that hold more than blanks and comments.
Integer CountSqlStatements(const AnsiString& Sql);

// "yyyy-mm-dd hh:nn:ss" (with ".zzz" when there are milliseconds) and back; the reader also
// takes a date alone and a 'T' between date and time. False for anything else.
AnsiString DateTimeToSqlText(TDateTime Value);
bool SqlTextToDateTime(const AnsiString& Text, TDateTime& Value);

} // namespace data_detail
