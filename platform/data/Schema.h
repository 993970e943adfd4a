// The application's database: the seven tables with their seed rows, for SQLite (the
// embedded default) and PostgreSQL (the server), and the creation of a new database file.
// The program itself never creates tables; set-up does, through CreateDatabaseFile or
// CreateSchema. ADODB.h has the connection classes.
#pragma once

#include <vector>

#include "platform/data/ADODB.h"

enum TSchemaDialect { sdSchemaSQLite, sdSchemaPostgreSQL };

// The names of the application's tables, in creation order.
const std::vector<AnsiString>& SchemaTables();

// The statements that create the tables and insert the seed rows (the backup plan row;
// operator "sa" with an empty password). Login ids compare ignoring case: COLLATE NOCASE
// on SQLite, citext on PostgreSQL (the extension is created when missing).
std::vector<AnsiString> SchemaStatements(TSchemaDialect Dialect);

// Runs SchemaStatements on an open connection in one transaction.
void CreateSchema(TADOConnection* Connection);

// Creates a new SQLite database file at Path holding the schema and seed rows. The file
// appears only when complete; an existing file is never touched (EDatabaseError).
void CreateDatabaseFile(const AnsiString& Path);
