// The table of what SQL Server makes of stored values, with its sources.
//
// Values are written as stored.  "TAB", "CR" and "LF" below are the
// characters 9, 13 and 10; the Persian and Arabic-Indic digits are U+06F1,
// U+06F2 and U+0661, U+0662.  A case the sources leave open is NotJudged:
// the check must say so, never guess.
#include "ConversionCases.h"

namespace orvel::test {

namespace {

const std::string kTab = "\t", kCrLf = "\r\n";
const std::string kPersianTwelve = "\xDB\xB1\xDB\xB2";  // ۱۲
const std::string kArabicTwelve = "\xD9\xA1\xD9\xA2";   // ١٢
const std::string kYes = "\xD8\xA8\xD9\x84\xD9\x87";    // بله
const std::string kFortyDigits = "1234567890123456789012345678901234567890";
const std::string kPersianFive = "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85\xD9\x8A";  // سلامي
const std::string kPersianSix = kPersianFive + "\xDA\xA9";                     // سلاميک

using F = Fate;

std::vector<ConversionCase> Build() {
    std::vector<ConversionCase> cases = {
        // Text to int.
        {"empty text", "", "nvarchar(60)", "int", F::Converts, "NC"},
        {"blanks", "   ", "nvarchar(60)", "int", F::Converts, "NC, SD"},
        {"blanks around", " 12 ", "nvarchar(60)", "int", F::Converts, "CC"},
        {"a minus after blanks", " -12", "nvarchar(60)", "int", F::Converts, "CC"},
        {"a plus", "+12", "nvarchar(60)", "int", F::Converts, "CC"},
        {"a minus alone", "-", "nvarchar(60)", "int", F::NotJudged, "none found"},
        {"a plus alone", "+", "nvarchar(60)", "int", F::NotJudged, "none found"},
        {"a sign and a blank", "- 12", "nvarchar(60)", "int", F::NotJudged, "none found"},
        {"leading zeros", "007", "nvarchar(60)", "int", F::Converts, "CC"},
        {"a decimal point", "1.0", "nvarchar(60)", "int", F::Refused, "DOTZERO"},
        {"a point alone", ".", "nvarchar(60)", "int", F::Refused, "PSS"},
        {"an exponent", "1e3", "nvarchar(60)", "int", F::Refused, "AM2"},
        {"a thousands separator", "1,000", "nvarchar(60)", "int", F::Refused, "PSS"},
        {"a currency sign", "$5", "nvarchar(60)", "int", F::Refused, "CC"},
        {"Persian digits", kPersianTwelve, "nvarchar(60)", "int", F::NotJudged, "none found"},
        {"Arabic-Indic digits", kArabicTwelve, "nvarchar(60)", "int", F::NotJudged, "none found"},
        {"a tab", "12" + kTab, "nvarchar(60)", "int", F::NotJudged, "SD"},
        {"a line break", "12" + kCrLf, "nvarchar(60)", "int", F::NotJudged, "SD"},
        {"a Persian word", kYes, "nvarchar(60)", "int", F::Refused, "CC"},
        {"the largest int", "2147483647", "nvarchar(60)", "int", F::Converts, "DT"},
        {"one past the largest int", "2147483648", "nvarchar(60)", "int", F::Refused, "248, DT"},
        {"the smallest int", "-2147483648", "nvarchar(60)", "int", F::Converts, "DT"},
        {"one past the smallest int", "-2147483649", "nvarchar(60)", "int", F::Refused, "248, DT"},
        {"forty digits", kFortyDigits, "nvarchar(60)", "int", F::Refused, "248, DT"},
        {"forty characters of leading zeros", std::string(39, '0') + "1", "nvarchar(60)", "int", F::NotJudged,
         "none found"},
        {"NULL", std::nullopt, "nvarchar(60)", "int", F::Converts, "CC"},
        {"varchar blanks around", " 12 ", "varchar(60)", "int", F::Converts, "CC"},
        {"char padded", "12", "char(10)", "int", F::Converts, "CC"},
        // Text to the other whole numbers.
        {"the largest tinyint", "255", "nvarchar(60)", "tinyint", F::Converts, "DT"},
        {"one past the largest tinyint", "256", "nvarchar(60)", "tinyint", F::Refused, "DT"},
        {"below the smallest tinyint", "-1", "nvarchar(60)", "tinyint", F::Refused, "DT"},
        {"minus zero as tinyint", "-0", "nvarchar(60)", "tinyint", F::Converts, "CC, DT"},
        {"empty text as tinyint", "", "nvarchar(60)", "tinyint", F::Converts, "NC"},
        {"the smallest smallint", "-32768", "nvarchar(60)", "smallint", F::Converts, "DT"},
        {"one past the largest smallint", "32768", "nvarchar(60)", "smallint", F::Refused, "DT"},
        {"the largest bigint", "9223372036854775807", "nvarchar(60)", "bigint", F::Converts, "DT"},
        {"one past the largest bigint", "9223372036854775808", "nvarchar(60)", "bigint", F::Refused, "DT"},
        {"empty text as bigint", "", "nvarchar(60)", "bigint", F::Converts, "NC"},
        {"a thousands separator as bigint", "100,200,300", "nvarchar(60)", "bigint", F::Refused, "PSS"},
        {"an exponent as bigint", "7d8", "nvarchar(60)", "bigint", F::Refused, "AM2"},

        // Text to decimal and numeric.
        {"empty text as decimal", "", "nvarchar(60)", "decimal(10,2)", F::Refused, "NC"},
        {"blanks as decimal", "   ", "nvarchar(60)", "decimal(10,2)", F::Refused, "NC, CC"},
        {"blanks around a decimal", " 12.5 ", "nvarchar(60)", "decimal(10,2)", F::Converts, "CC"},
        {"a point first", ".7", "nvarchar(60)", "decimal(3,1)", F::Converts, "NEM"},
        {"a point last", "5.", "nvarchar(60)", "decimal(10,2)", F::NotJudged, "none found"},
        {"a point alone as decimal", ".", "nvarchar(60)", "decimal(10,2)", F::NotJudged, "none found"},
        {"a sign alone as decimal", "-", "nvarchar(60)", "decimal(10,2)", F::NotJudged, "none found"},
        {"the most digits before the point", "12345678.99", "nvarchar(60)", "decimal(10,2)", F::Converts, "DT"},
        {"one digit too many before the point", "123456789", "nvarchar(60)", "decimal(10,2)", F::Refused, "NEM, DT"},
        {"too many digits before the point", "333.14", "nvarchar(60)", "decimal(3,1)", F::Refused, "NEM"},
        {"rounding past the largest", "99999999.995", "nvarchar(60)", "decimal(10,2)", F::NotJudged, "none found"},
        {"an exponent as decimal", "3.04878048780488E-03", "nvarchar(60)", "decimal(18,2)", F::Refused, "JF",
         F::Converts},
        {"a thousands separator as decimal", "123,456.00", "nvarchar(60)", "decimal(10,2)", F::Refused, "CC"},
        {"a currency sign as decimal", "$5", "nvarchar(60)", "numeric(10,2)", F::Refused, "CC"},
        {"Persian digits as decimal", kPersianTwelve, "nvarchar(60)", "decimal(10,2)", F::NotJudged, "none found"},
        {"a tab as decimal", kTab + "12", "nvarchar(60)", "decimal(10,2)", F::NotJudged, "SD"},
        {"forty digits as decimal", kFortyDigits, "nvarchar(60)", "decimal(38,0)", F::Refused, "DT"},
        {"NULL as decimal", std::nullopt, "nvarchar(60)", "decimal(10,2)", F::Converts, "CC"},

        // Text to float and real.
        {"empty text as float", "", "nvarchar(60)", "float", F::Converts, "NC, SD"},
        {"blanks as float", "   ", "nvarchar(60)", "float", F::Converts, "SD"},
        {"blanks and a line break as float", " " + kCrLf + " ", "nvarchar(60)", "float", F::Refused, "SD"},
        {"blanks around a float", " 1.5 ", "nvarchar(60)", "float", F::Converts, "CC"},
        {"an exponent as float", "1e3", "nvarchar(60)", "float", F::Converts, "CC"},
        {"a signed exponent as float", "3.04878048780488E-03", "nvarchar(60)", "float", F::Converts, "JF"},
        {"a d exponent as float", "7d8", "nvarchar(60)", "float", F::Converts, "AM2", F::Refused},
        {"a point first as float", ".5", "nvarchar(60)", "float", F::Converts, "CC"},
        {"a sign alone as float", "-", "nvarchar(60)", "float", F::NotJudged, "none found"},
        {"an exponent alone as float", "1e", "nvarchar(60)", "float", F::NotJudged, "none found"},
        {"two points as float", "122.332.", "nvarchar(60)", "float", F::Refused, "SQLDAT"},
        {"a thousands separator as float", "1,000", "nvarchar(60)", "float", F::Refused, "CC, PSS"},
        {"a currency sign as float", "$5", "nvarchar(60)", "float", F::Refused, "CC"},
        {"a Persian word as float", kYes, "nvarchar(60)", "float", F::Refused, "CC"},
        {"Persian digits as float", kPersianTwelve, "nvarchar(60)", "float", F::NotJudged, "none found"},
        {"a tab as float", "1.5" + kTab, "nvarchar(60)", "float", F::NotJudged, "SD"},
        {"forty digits as float", kFortyDigits, "nvarchar(60)", "float", F::Converts, "DT"},
        {"310 digits as float", "1" + std::string(309, '0'), "nvarchar(400)", "float", F::Refused, "ISN309, DT"},
        {"a three-digit exponent as float", "1e400", "nvarchar(60)", "float", F::NotJudged, "none found"},
        {"thirty-eight digits as real", std::string(38, '9'), "nvarchar(60)", "real", F::Converts, "DT"},
        {"forty digits as real", kFortyDigits, "nvarchar(60)", "real", F::Refused, "DT"},
        {"an exponent at the edge of real", "3.4E38", "nvarchar(60)", "real", F::NotJudged, "none found"},
        {"NULL as float", std::nullopt, "nvarchar(60)", "float", F::Converts, "CC"},

        // Text to money and smallmoney.
        {"empty text as money", "", "nvarchar(60)", "money", F::Converts, "MB"},
        {"a dollar sign as money", "$5", "nvarchar(60)", "money", F::Converts, "MD"},
        {"a dollar sign, blank and separators as money", "$ 1,000.00", "nvarchar(60)", "money", F::Converts,
         "SSH235"},
        {"a euro sign as money", "\xE2\x82\xAC 1,000.00", "nvarchar(60)", "money", F::Converts, "SSH235"},
        {"thousands separators as money", "100,200,300", "nvarchar(60)", "money", F::Converts, "PSS, MD"},
        {"an exponent as money", "1e3", "nvarchar(60)", "money", F::Refused, "CC, SSH235"},
        {"letters as money", "ABC", "nvarchar(60)", "money", F::Refused, "SSH235"},
        {"a pound sign as money", "\xC2\xA3" "5", "nvarchar(60)", "money", F::NotJudged, "MD (its list of signs)"},
        {"a sign alone as money", "-", "nvarchar(60)", "money", F::NotJudged, "none found"},
        {"Persian digits as money", kPersianTwelve, "nvarchar(60)", "money", F::NotJudged, "none found"},
        {"the largest whole money", "922337203685476", "nvarchar(60)", "money", F::Converts, "MD"},
        {"past the largest money", "922337203685478", "nvarchar(60)", "money", F::Refused, "MD"},
        {"the edge of money", "922337203685477.5807", "nvarchar(60)", "money", F::NotJudged, "none found"},
        {"past the largest smallmoney", "214749", "nvarchar(60)", "smallmoney", F::Refused, "MD"},
        {"NULL as money", std::nullopt, "nvarchar(60)", "money", F::Converts, "CC"},

        // Text shortened: lengths as LEN counts them, trailing blanks left out.
        {"at the new length", "abcde", "nvarchar(60)", "nvarchar(5)", F::Converts, "LEN8152"},
        {"one past the new length", "abcdef", "nvarchar(60)", "nvarchar(5)", F::Refused, "LEN8152"},
        {"Persian at the new length", kPersianFive, "nvarchar(60)", "nvarchar(5)", F::Converts, "LEN8152"},
        {"Persian past the new length", kPersianSix, "nvarchar(60)", "nvarchar(5)", F::Refused, "LEN8152"},
        {"trailing blanks past the new length", "abc   ", "nvarchar(60)", "nvarchar(5)", F::NotJudged,
         "none found"},
        {"empty text shortened", "", "nvarchar(60)", "nvarchar(5)", F::Converts, "LEN8152"},
        {"NULL shortened", std::nullopt, "nvarchar(60)", "nvarchar(5)", F::Converts, "LEN8152"},
        {"varchar past the new length", "abcdef", "varchar(60)", "varchar(5)", F::Refused, "LEN8152"},
        {"char padding past the new length", "abc", "char(10)", "char(5)", F::Converts, "LEN8152"},
        {"ntext that fits", "abc", "ntext", "nvarchar(5)", F::Converts, "LEN8152"},
        {"ntext past the new length", "abcdef", "ntext", "nvarchar(5)", F::Refused, "LEN8152"},

        // Numbers narrowed.
        {"the largest smallint from int", "32767", "int", "smallint", F::Converts, "DT"},
        {"one past the largest smallint from int", "32768", "int", "smallint", F::Refused, "DT"},
        {"one past the smallest smallint from int", "-32769", "int", "smallint", F::Refused, "DT"},
        {"one past the largest int from bigint", "2147483648", "bigint", "int", F::Refused, "DT"},
        {"a float truncated to the largest int", "2147483647.9", "float", "int", F::Converts, "CC, TRUNC"},
        {"a float past int", "3000000000", "float", "int", F::Refused, "RENDC, DT"},
        {"a decimal truncated to int", "2147483647.99", "decimal(12,2)", "int", F::Converts, "CC, TRUNC"},
        {"a decimal past int", "2147483648", "decimal(12,2)", "int", F::Refused, "DT"},
        {"money rounded at the edge of int", "2147483647.5", "money", "int", F::NotJudged, "CC (money rounds)"},
        {"the largest decimal(5,2) from decimal(10,3)", "999.994", "decimal(10,3)", "decimal(5,2)", F::Converts,
         "CC (rounds), DT"},
        {"rounding past decimal(5,2)", "999.995", "decimal(10,3)", "decimal(5,2)", F::Refused, "CC (rounds), DT",
         F::Converts},
        {"a float past decimal(5,2)", "1000", "float", "decimal(5,2)", F::Refused, "DT"},
        {"a float within decimal(5,2)", "999.9", "float", "decimal(5,2)", F::Converts, "DT"},
        {"a float past money", "1E15", "float", "money", F::Refused, "MD"},
        {"a float within money", "1E14", "float", "money", F::Converts, "MD"},
        {"a float past real", "3.5E38", "float", "real", F::Refused, "DT"},
        {"a float within real", "3.4E38", "float", "real", F::Converts, "DT"},
        {"an int as nvarchar too short", "1234", "int", "nvarchar(3)", F::Refused, "CC (int to nvarchar: E)"},
        {"an int as nvarchar that fits", "-12", "int", "nvarchar(3)", F::Converts, "CC"},
        {"an int as varchar too short", "1234", "int", "varchar(3)", F::Converts, "CC (int to varchar: *)",
         F::Refused},
        {"a decimal as varchar too short", "99.999", "decimal(5,3)", "varchar(5)", F::Refused, "SSH8115"},
        {"NULL narrowed", std::nullopt, "int", "smallint", F::Converts, "CC"},

        // Conversions no rule knows.
        {"text as bit", "true", "nvarchar(60)", "bit", F::NotJudged, "none found"},
        {"text as datetime", "1403/12/30", "nvarchar(60)", "datetime", F::NotJudged, "none found"},
    };
    return cases;
}

}  // namespace

const std::vector<ConversionCase>& ConversionCases() {
    static const std::vector<ConversionCase> cases = Build();
    return cases;
}

const std::vector<std::pair<std::string, std::string>>& ConversionSources() {
    static const std::vector<std::pair<std::string, std::string>> sources = {
        {"CC", "CAST and CONVERT (Transact-SQL), learn.microsoft.com, as quoted in "
               "jasonf-blog.blogspot.com/2006/01/sql-server-cast-weirdness.html: text to an approximate number may "
               "hold an exponent; to an exact number only digits, a decimal point and a sign; leading blanks are "
               "ignored; no thousands separators.  Its truncating and rounding tables: float and numeric to int "
               "truncate, money to int and numeric to numeric round; int to varchar gives *, to nvarchar an "
               "error"},
        {"NC", "nimblecoder.com/sql-server-converts-empty-string-to-int-0: '' becomes 0 for int, bigint, smallint, "
               "tinyint and float; decimal and numeric refuse it"},
        {"SD", "siderite.dev/blog/t-sql-convert-and-cast-turn-empty.html: '' and ' ' become 0 as float; blanks "
               "with line breaks are refused; line breaks are no blanks to LTRIM.  Tabs and line breaks among "
               "digits are not covered"},
        {"DOTZERO", "example-a.com/answer/77655786 and darthcontinent.com/2010/12: '1.0' and '0.03' to int are "
                    "refused (245)"},
        {"PSS", "learn.microsoft.com/archive/blogs/psssql (isnumeric returns 1 and I expected 0): '100,200,300' to "
                "bigint is refused (8114), to money it converts; convert(int, '.') is refused"},
        {"AM2", "am2.co/2016/04/convert-float-using-scientific-notation: '7d8' to bigint is refused (8114), to "
                "float it is 700000000"},
        {"MD", "Using Monetary Data, learn.microsoft.com ms188688: CAST('$444,123.45' AS MONEY) converts; the "
               "currency signs money takes; money and smallmoney ranges"},
        {"SSH235", "sql-server-helper.com/error-messages/msg-235.aspx: 'ABC' to money is refused (235); "
                   "'$ 1,000.00' and the euro sign convert"},
        {"MB", "sql.marcus-belz.de (data quality: converting data to money): commas are ignored, an empty text "
               "becomes 0"},
        {"248", "kouhan.cn/en/article/00032036: '08041159620' to int overflows (248)"},
        {"DT", "int, bigint, smallint and tinyint; decimal and numeric; float and real; money and smallmoney "
               "(Transact-SQL), learn.microsoft.com: the ranges"},
        {"SQLDAT", "ja.sqldat.com/bzs/nlr/1010021449.html: convert(float, '122.332.') is refused"},
        {"NEM", "a forum thread on varchar to decimal(3,1): '.7' converts; '333.14' is refused (8115)"},
        {"JF", "jasonf-blog.blogspot.com/2006/01/sql-server-cast-weirdness.html: '3.04878048780488E-03' converts "
               "to float, is refused as decimal(18,2) (8114)"},
        {"ISN309", "super-unix.com (the logic behind ISNUMERIC): REPLICATE('9', 308) is a number, 309 nines are "
                   "not"},
        {"SSH8115", "sql-server-helper.com/error-messages/msg-8115-numeric-to-varchar.aspx: 99.999 as "
                    "varchar(5) is refused (8115)"},
        {"RENDC", "rendc.org (converting big values to integers): float 12345.12 to tinyint is refused (232)"},
        {"TRUNC", "sqlservercentral.com/?p=34131: numeric and float 1.5 assigned to int give 1"},
        {"LEN8152", "pastebin.com/xKDc3zHy and gist.github.com/mattmc3 (find 'string or binary data would be "
                    "truncated'): a column shortened below the longest LEN of its values is refused (8152)"},
        {"none found", "no source settles it: not judged"},
    };
    return sources;
}

const char* FateName(Fate fate) {
    switch (fate) {
        case Fate::Converts:
            return "converts";
        case Fate::Refused:
            return "refused";
        case Fate::NotJudged:
            return "not judged";
    }
    return "?";
}

}  // namespace orvel::test
