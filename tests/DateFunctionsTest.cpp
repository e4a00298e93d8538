// The two date functions, evaluated: a statement-for-statement C++ mirror of
// the T-SQL of Fn_Miladi2shamsi and Fn_Daydiff is held against known dates
// and against a Solar Hijri calendar computed independently (year starts
// counted from 1400/01/01 = 2021-03-21 with the 33-year leap rule).
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include <fmt/format.h>

namespace orvel {
namespace {

using namespace std::chrono;

bool isLeapSolarYear(int year) {
    switch (year % 33) {
        case 1: case 5: case 9: case 13: case 17: case 22: case 26: case 30: return true;
        default: return false;
    }
}

// --- Mirror of Fn_Miladi2shamsi; std::nullopt stands for NULL. ------------
std::string Miladi2shamsi(std::optional<year_month_day> input) {
    if (!input) return "";  // every intermediate value NULL; ISNULL(..., '')
    const int Year = static_cast<int>(input->year());
    const int Month = static_cast<int>(static_cast<unsigned>(input->month()));
    const int Day = static_cast<int>(static_cast<unsigned>(input->day()));
    int P = 0, Y2 = 0, L = 0, FY = 0, FM = 0, FD = 0, Length = 0, Days = 0;
    if (sys_days(*input) >= sys_days(2021y / March / 21)) {
        Days = (sys_days(*input) - sys_days(2021y / March / 21)).count();
        FY = 1400 + 33 * (Days / 12053);
        Days = Days % 12053;
        Length = isLeapSolarYear(FY) ? 366 : 365;
        while (Days >= Length) {
            Days = Days - Length;
            FY = FY + 1;
            Length = isLeapSolarYear(FY) ? 366 : 365;
        }
        if (Days < 186) {
            FM = Days / 31 + 1;
            FD = Days % 31 + 1;
        } else {
            FM = (Days - 186) / 30 + 7;
            FD = (Days - 186) % 30 + 1;
        }
        return fmt::format("{}/{:02}/{:02}", FY, FM, FD);
    }
    switch (Month) {
        case 1: case 5: case 6: P = 10; break;
        case 2: case 4: P = 11; break;
        case 10: P = 8; break;
        default: P = 9;
    }
    Y2 = Year % 100;
    if (Y2 % 4 == 0 && Month > 2) P = P + 1;
    if ((Y2 - 1) % 4 == 0) {
        L = 30;
        if (Month <= 3) P = P + 1;
    } else {
        L = 29;
    }
    FY = Y2 - 22;
    if (FY < 0) FY = FY + 100;
    FM = Month + 9;
    if (FM > 12) {
        FM = FM - 12;
        FY = FY + 1;
    }
    FD = Day + P;
    Length = FM <= 6 ? 31 : FM < 12 ? 30 : L;
    if (FD > Length) {
        FD = FD - Length;
        FM = FM + 1;
    }
    if (FM > 12) {
        FM = FM - 12;
        FY = FY + 1;
    }
    // The function returns nvarchar(10): a longer text is cut there.
    return fmt::format("13{}{}/{:02}/{:02}", FY < 10 ? "0" : "", FY, FM, FD).substr(0, 10);
}

// --- Mirror of Fn_Daydiff; std::nullopt stands for NULL. ------------------
int Daydiff(std::optional<std::string> dateLess1, std::optional<std::string> dateUp2) {
    if (!dateLess1 || !dateUp2) return 0;  // no comparison holds; ISNULL(..., 0)
    int Year1 = std::stoi(dateLess1->substr(0, 4)), Month1 = std::stoi(dateLess1->substr(5, 2)),
        Day1 = std::stoi(dateLess1->substr(8, 2));
    int Year2 = std::stoi(dateUp2->substr(0, 4)), Month2 = std::stoi(dateUp2->substr(5, 2)),
        Day2 = std::stoi(dateUp2->substr(8, 2));
    int Sign = 1;
    if (Year1 > Year2 || (Year1 == Year2 && Month1 > Month2) ||
        (Year1 == Year2 && Month1 == Month2 && Day1 > Day2)) {
        std::swap(Year1, Year2);
        std::swap(Month1, Month2);
        std::swap(Day1, Day2);
        Sign = -1;
    }
    const int Offset1 = (Month1 <= 6 ? (Month1 - 1) * 31 : 186 + (Month1 - 7) * 30) + Day1;
    const int Offset2 = (Month2 <= 6 ? (Month2 - 1) * 31 : 186 + (Month2 - 7) * 30) + Day2;
    int Result = 365 * (Year2 - Year1) + (Offset2 - Offset1);
    for (int J = Year1; J < Year2; ++J)
        if (isLeapSolarYear(J)) Result = Result + 1;
    return Result * Sign;
}

// --- The calendar, computed another way: walk year starts from 1400/01/01.
std::string SolarCalendar(sys_days day) {
    int year = 1400;
    sys_days start = sys_days(2021y / March / 21);
    while (day < start) start -= days(isLeapSolarYear(--year) ? 366 : 365);
    for (sys_days next; day >= (next = start + days(isLeapSolarYear(year) ? 366 : 365)); start = next) ++year;
    int dayOfYear = (day - start).count() + 1, month = 1;
    for (int length; dayOfYear > (length = month <= 6 ? 31 : 30); ++month) dayOfYear -= length;
    return fmt::format("{}/{:02}/{:02}", year, month, dayOfYear);
}

year_month_day ymd(int y, unsigned m, unsigned d) { return year{y} / month{m} / day{d}; }

std::string iso(sys_days d) {
    const year_month_day date(d);
    return fmt::format("{}-{:02}-{:02}", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                       static_cast<unsigned>(date.day()));
}

TEST(Miladi2shamsi, GivesTheseDates) {
    const struct {
        year_month_day date;
        const char* solar;
    } cases[] = {
        // Fixed offsets, up to 2021-03-20.
        {ymd(2010, 5, 15), "1389/02/25"},
        {ymd(2000, 2, 29), "1378/12/10"},
        {ymd(2016, 3, 20), "1395/01/01"},
        {ymd(2017, 3, 20), "1395/12/30"},
        {ymd(2021, 3, 20), "1399/12/30"},
        {ymd(1992, 3, 20), "1371/01/01"},  // the day after 1370/12/30
        {ymd(1922, 1, 1), "1300/10/11"},
        // Counted from 1400/01/01; 1402 is a common year, 1403 a leap year.
        {ymd(2021, 3, 21), "1400/01/01"},
        {ymd(2024, 3, 19), "1402/12/29"},
        {ymd(2024, 3, 20), "1403/01/01"},
        {ymd(2025, 3, 20), "1403/12/30"},
        {ymd(2025, 3, 21), "1404/01/01"},
        {ymd(2026, 12, 10), "1405/09/19"},
        {ymd(2054, 3, 21), "1433/01/01"},  // one whole 33-year cycle later
        {ymd(2054, 3, 20), "1432/12/30"},
    };
    for (const auto& c : cases) EXPECT_EQ(Miladi2shamsi(c.date), c.solar) << iso(c.date);
    EXPECT_EQ(Miladi2shamsi(std::nullopt), "");
}

TEST(Miladi2shamsi, FollowsTheCalendarFrom1993On) {
    for (sys_days d = sys_days(2021y / March / 21) - days(1); d >= sys_days(1993y / March / 21); d -= days(1))
        ASSERT_EQ(Miladi2shamsi(year_month_day(d)), SolarCalendar(d)) << iso(d);
    for (sys_days d = sys_days(2021y / March / 21); d < sys_days(2200y / January / 1); d += days(1))
        ASSERT_EQ(Miladi2shamsi(year_month_day(d)), SolarCalendar(d)) << iso(d);
}

// Before 1993 the offsets run a day ahead in part of each four years; the
// day after 12/29 of a common year is then written as 12/30 of that year.
TEST(Miladi2shamsi, IsTheCalendarDateOrTheDayAfterBefore1993) {
    for (sys_days d = sys_days(1922y / January / 1); d < sys_days(1993y / March / 21); d += days(1)) {
        const std::string text = Miladi2shamsi(year_month_day(d)), today = SolarCalendar(d);
        const bool dayAfter = text == SolarCalendar(d + days(1)) ||
                              (today.ends_with("/12/29") && text == today.substr(0, 8) + "30");
        ASSERT_TRUE(text == today || dayAfter) << iso(d) << " " << text;
    }
}

TEST(Daydiff, GivesTheseDifferences) {
    const struct {
        std::optional<std::string> first, second;
        int days;
    } cases[] = {
        {"1390/01/01", "1390/01/10", 9},    {"1390/01/10", "1390/01/01", -9},
        {"1391/06/31", "1391/07/01", 1},    {"1390/12/29", "1391/01/01", 1},
        {"1390/01/01", "1391/01/01", 365},  {"1391/01/01", "1392/01/01", 366},
        {"1391/12/30", "1392/01/01", 1},    {"1380/05/05", "1390/05/05", 3652},
        {"1402/12/29", "1403/01/01", 1},    {"1403/12/30", "1404/01/01", 1},
        {"1395/03/03", "1395/03/03", 0},    {std::nullopt, "1390/01/01", 0},
        {"1390/01/01", std::nullopt, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Daydiff(c.first, c.second), c.days) << c.first.value_or("NULL") << " " << c.second.value_or("NULL");
}

// The texts of Fn_Miladi2shamsi are days apart by what Fn_Daydiff counts.
TEST(Daydiff, CountsTheDaysBetweenTheTextsOfMiladi2shamsi) {
    const sys_days from = sys_days(1993y / March / 21), to = sys_days(2090y / January / 1);
    for (sys_days a = from; a < to; a += days(97)) {
        for (sys_days b = from; b < to; b += days(89)) {
            const int expected = (b - a).count();
            ASSERT_EQ(Daydiff(Miladi2shamsi(year_month_day(a)), Miladi2shamsi(year_month_day(b))), expected)
                << iso(a) << " " << iso(b);
        }
    }
}

}  // namespace
}  // namespace orvel
