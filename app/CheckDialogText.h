// The texts of the dialog the window shows when the check before a run
// foresees a refusal, in Persian as the rest of the window (ARABIC LETTER
// YEH and KEHEH, as upgrade/Messages.h writes them), and the list of
// refusals it shows.  Both front-ends draw the dialog from
// CheckDialogTable() (WindowLayout.h); MainWindowHandlers decides when.
#pragma once

#include <string>
#include <string_view>

#include "check/RefusalCheck.h"

namespace orvel {

inline constexpr std::string_view kCheckDialogCaption = "بررسي پيش از ارتقاء";
inline constexpr std::string_view kCheckDialogHeading =
    "بانک اطلاعاتي اين دستورات ارتقاء را نخواهد پذيرفت؛ هنوز هيچ دستوري فرستاده نشده است";
inline constexpr std::string_view kCheckDialogRunAnyway = "با اين حال اجرا شود";
inline constexpr std::string_view kCheckDialogClose = "بستن";

// Each refusal: its step, table and column, the error, the reason, the
// rows at fault with up to five examples, and the advice; one block each,
// lines broken by a line feed, the check's own (English) sentences on
// lines of their own.
std::string CheckDialogText(const CheckReport& report);

}  // namespace orvel
