// --salvage: the database is read past its damage, and what the damage cost is
// reported once the command has run: a line on standard error for each loss, a
// summary, the same as TSV with --report FILE, and exit status 3 when anything was
// lost. Without --salvage, a failure from damage says that --salvage reads past it.
#pragma once
#include <string>
#include "cli/Options.h"
#include "platform/com/ComError.h"

// Makes every database the command opens be read in salvage mode. Called before
// the command, with --salvage only.
void StartSalvage();

// Reports the losses of the command that has just ended with `status`, and gives
// the status to end with: 3 (kSalvaged) when the command went well but lost records
// or values, else `status` (1 when the report file cannot be written).
int FinishSalvage(const CliOptions& options, int status);

// The failure's words for a message line: for damage, its place ("table Orders:
// data page 1234 is damaged (row offsets outside the page)"), with "; --salvage
// reads past damage" when it was not asked for; else the system text of its code.
std::string FailureWords(const _com_error& e);
// "; stopped after N records" for damage after `records` (> 0) records, then
// "; --salvage reads past damage" without --salvage; empty for other failures.
std::string DamageTail(const _com_error& e, long records);
