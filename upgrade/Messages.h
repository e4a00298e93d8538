// The program's own texts that more than one front end shows, and the rules
// by which errors are turned into the texts shown.
#pragma once

#include <string>
#include <string_view>

namespace orvel {

// The program's version, as the window shows it and every record names it.
inline constexpr std::string_view kProgramVersion = "16.01.002";

// The application title: the taskbar entry and every message box caption.
inline constexpr std::string_view kApplicationTitle =
    "آپديت بانک اطلاعاتي اورول";
inline constexpr std::string_view kRunSucceededMessage =
    "عمليات ارتقاء با موفقيت پايان پذيرفت";
inline constexpr std::string_view kQuerySucceededMessage =
    ".دستور مورد نظر با موفقيت اجرا گرديد";

// The ErrorBox text: the message with "." appended, unless it is empty or
// its last character's code is at most that of "." (control characters,
// blanks and the ASCII punctuation from "!" to ".").  A message that quotes
// a connection text shows its passwords as "***".
std::string ErrorBoxText(std::string_view message);

// The query window's error text: class and message on two lines separated by
// a lone carriage return; passwords in the message shown as "***".
std::string QueryErrorText(std::string_view errorClass, std::string_view message);

}  // namespace orvel
