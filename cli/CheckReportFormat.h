// The report of `check` (and of `upgrade --check-first`) as a table for a
// technician or as JSON for a program (check/CheckReportJson.h), and the
// exit code it gives.
#pragma once

#include <string>

#include "check/RefusalCheck.h"

namespace orvel {

std::string FormatCheckTable(const CheckReport& report);
std::string FormatCheckJson(const CheckReport& report);
// What `upgrade --check-first` prints before its first statement when
// nothing is foreseen refused: the warnings and what could not be judged.
std::string FormatCheckNotes(const CheckReport& report);

// 5 when a refusal is foreseen, else 6 when something could not be judged,
// else 0.
int CheckExitCode(const CheckReport& report);

}  // namespace orvel
