// The databases the data tests run against: a fresh SQLite file, and one throw-away
// PostgreSQL server per test binary, started on a Unix socket in a temporary folder by the
// first test that asks for it and stopped when the tests end.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "platform/rtl/Types.h"

// The two databases a parameterised suite runs against, and the suffix each gives the
// test names.
enum TBackend { beSQLite, bePostgreSQL };
std::string BackendName(const testing::TestParamInfo<TBackend>& Info);

// The connection string of a new, empty SQLite database file (File receives its path; the
// caller deletes it).
AnsiString NewSQLiteDatabase(AnsiString& File);

// The connection string of the test server's "postgres" database. False, with Error
// telling why, when the server could not be started.
bool PostgreSQLTestDatabase(AnsiString& ConnectionString, std::string& Error);

// The folder of the test server's Unix socket, which connection strings give as the host.
// False, with Error telling why, when the server could not be started.
bool PostgreSQLTestServer(std::string& SocketDir, std::string& Error);
