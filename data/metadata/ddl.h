// The DDL of the database's objects, as a script isql accepts: each object alone for
// the structure pages, or the whole database in an order that runs.
#pragma once

#include <string>

#include "data/metadata/catalogue.h"

class TIBDatabase;

// The statements that make the object (a table with its keys, checks and indices).
// Procedures and triggers come inside SET TERM, so the text runs as it stands.
std::string ObjectDdl(TIBDatabase* database, TObjectKind kind, const std::string& name);

// Domains, generators, exceptions, procedure headers, tables with their keys, views,
// foreign keys, checks, indices, procedure bodies and triggers.
std::string DatabaseDdl(TIBDatabase* database);

// The writers behind both, one object each.
std::string TableDdl(const TRelationInfo& table);
std::string TableKeysDdl(const TRelationInfo& table);  // foreign keys and checks
std::string IndexDdl(const TIndexInfo& index);
std::string ViewDdl(const TRelationInfo& view);
// `header_only` makes an empty body, for a procedure others refer to before its own
// body can be compiled; `alter` writes ALTER in place of CREATE.
std::string ProcedureDdl(const TProcedureInfo& procedure, bool header_only = false,
                         bool alter = false);
std::string TriggerDdl(const TTriggerInfo& trigger);
std::string GeneratorDdl(const TGeneratorInfo& generator);
std::string ExceptionDdl(const TExceptionInfo& exception);
std::string DomainDdl(const TDomainInfo& domain);
