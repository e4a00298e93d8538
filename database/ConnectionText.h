// Reading a connection text without opening it: hiding its passwords, and
// naming the server, catalog or file it leads to; writing a value into one.
//
// Connection texts reach people in many places: records of runs, the
// statement log, error messages that quote a text, `connection-text`.  Every
// one of them passes through MaskPasswords, so a password is written only
// where it is sent, to the driver.  Both functions read ADO-style texts
// (values plain or in quotes) and ODBC strings (values in braces, "}}" for a
// brace) alike, and never fail: a text they cannot read is treated as plain
// text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvel {

inline constexpr std::string_view kMaskedPassword = "***";

// The text with the value of every PWD and Password key replaced by "***"
// (so also "Jet OLEDB:Database Password", which ends in one).  Keys are found
// anywhere in the text, in any letter case, with blanks allowed around "=",
// so a message that quotes a connection text or a T-SQL "PASSWORD = '...'"
// is masked too.  A value is plain (up to ";" or the end of the line), in
// braces, or in single or double quotes; the whole of it goes, braces and
// quotes included.
std::string MaskPasswords(std::string_view text);

// A value as a connection text of the settings must carry it: as it stands,
// or, when it holds ";", begins with a quote, or begins or ends with a blank,
// in double quotes with each double quote inside doubled, so that a password
// or file name can neither end early nor add keys of its own.
std::string ConnectionTextValue(std::string_view value);

// Where a connection text leads, as far as the text says.
struct ConnectionTarget {
    std::optional<std::string> server;   // Data Source or Server; none for the local default instance
    std::optional<std::string> catalog;  // Initial Catalog or Database
    std::optional<std::string> file;     // an Access file: the Jet provider's Data Source, or DBQ
};

ConnectionTarget DescribeConnectionText(std::string_view connectionText);

}  // namespace orvel
