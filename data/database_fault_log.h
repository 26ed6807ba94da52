#pragma once

#include "data/db_fault.h"
#include "data/db_param.h"

#include <QString>

#include <vector>

namespace tillora {

// A short name of the fault for the log ("Locked", "DiskFull", ...).
QString dbFaultName(DbFault fault);

// The engine's message as the log may keep it: its first line (a server's further lines echo the
// statement and the values of a key), with every value of the statement and of its parameters
// replaced by "?".
QString loggableEngineMessage(const QString& message, const QString& sql,
                              const std::vector<DbParam>& params = {});

// Logs a failed statement: the fault, the engine's message and the statement's shape, never a
// value a user typed (nor a password's digest).
void logDatabaseFault(DbFault fault, const QString& engineMessage, const QString& sql,
                      const std::vector<DbParam>& params = {});

}  // namespace tillora
