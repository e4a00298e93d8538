// Object steps of the Solar Hijri date functions.
//
// Fn_Miladi2shamsi turns a Gregorian date into the ten-character yyyy/mm/dd
// Solar Hijri text the product stores its dates in, and Fn_Daydiff counts the
// days between two such texts.  The views, triggers and procedures compare
// their columns with Fn_Miladi2shamsi(GETDATE()) as text, so both functions
// are installed before any object that calls them (see the Velora step list).
#include "products/serverobjects/ServerObjects.h"

namespace orvel {

namespace {

// Up to 2021-03-20 the date is converted by fixed day offsets per Gregorian
// month, which follow the calendar from 1993-03-21 on; applications already
// hold dates produced that way.  The offsets write the year as "13" and two
// digits, which breaks at 1400/01/01 (2021-03-21): from that day on the date
// is counted instead, in whole 33-year cycles of 12053 days, then solar years
// (leap when year mod 33 is 1, 5, 9, 13, 17, 22, 26 or 30, the rule of
// Fn_Daydiff), then months of 31 (1-6), 30 (7-11) and 29 or 30 days (12).
constexpr std::string_view kMiladi2shamsi = R"sql(
CREATE FUNCTION [dbo].[Fn_Miladi2shamsi] (@InputDate datetime)
RETURNS nvarchar(10)
AS
BEGIN
    DECLARE @Year INT, @Month INT, @Day INT, @P INT, @Y2 INT, @L INT
    DECLARE @FY INT, @FM INT, @FD INT, @Length INT, @Days INT
    SET @Year = YEAR(@InputDate)
    SET @Month = MONTH(@InputDate)
    SET @Day = DAY(@InputDate)
    IF @InputDate >= '20210321'
    BEGIN
        SET @Days = DATEDIFF(day, '20210321', @InputDate)
        SET @FY = 1400 + 33 * (@Days / 12053)
        SET @Days = @Days % 12053
        SET @Length = CASE WHEN @FY % 33 IN (1, 5, 9, 13, 17, 22, 26, 30) THEN 366 ELSE 365 END
        WHILE @Days >= @Length
        BEGIN
            SET @Days = @Days - @Length
            SET @FY = @FY + 1
            SET @Length = CASE WHEN @FY % 33 IN (1, 5, 9, 13, 17, 22, 26, 30) THEN 366 ELSE 365 END
        END
        IF @Days < 186
        BEGIN
            SET @FM = @Days / 31 + 1
            SET @FD = @Days % 31 + 1
        END
        ELSE
        BEGIN
            SET @FM = (@Days - 186) / 30 + 7
            SET @FD = (@Days - 186) % 30 + 1
        END
        RETURN CAST(@FY AS nvarchar(4))
            + '/' + RIGHT('0' + CAST(@FM AS nvarchar(2)), 2)
            + '/' + RIGHT('0' + CAST(@FD AS nvarchar(2)), 2)
    END
    SET @P = CASE WHEN @Month IN (1, 5, 6) THEN 10
                  WHEN @Month IN (2, 4) THEN 11
                  WHEN @Month IN (3, 7, 8, 9, 11, 12) THEN 9
                  WHEN @Month = 10 THEN 8 END
    SET @Y2 = @Year % 100
    IF @Y2 % 4 = 0 AND @Month > 2 SET @P = @P + 1
    IF (@Y2 - 1) % 4 = 0
    BEGIN
        SET @L = 30
        IF @Month <= 3 SET @P = @P + 1
    END
    ELSE SET @L = 29
    SET @FY = @Y2 - 22
    IF @FY < 0 SET @FY = @FY + 100
    SET @FM = @Month + 9
    IF @FM > 12
    BEGIN
        SET @FM = @FM - 12
        SET @FY = @FY + 1
    END
    SET @FD = @Day + @P
    SET @Length = CASE WHEN @FM <= 6 THEN 31 WHEN @FM < 12 THEN 30 ELSE @L END
    IF @FD > @Length
    BEGIN
        SET @FD = @FD - @Length
        SET @FM = @FM + 1
    END
    IF @FM > 12
    BEGIN
        SET @FM = @FM - 12
        SET @FY = @FY + 1
    END
    RETURN ISNULL('13' + CASE WHEN @FY < 10 THEN '0' ELSE '' END + CAST(@FY AS nvarchar(10))
        + '/' + RIGHT('0' + CAST(@FM AS nvarchar(2)), 2)
        + '/' + RIGHT('0' + CAST(@FD AS nvarchar(2)), 2), '')
END
)sql";

// Signed days from the first date to the second.  Month 12 counts 29 days;
// the thirtieth day of a leap year's month 12 is covered by counting one more
// day for each leap year passed.  A NULL argument gives 0.
constexpr std::string_view kDaydiff = R"sql(
CREATE FUNCTION [dbo].[Fn_Daydiff] (@dateLess1 NCHAR(10), @dateUp2 NCHAR(10))
RETURNS INT
AS
BEGIN
    DECLARE @Year1 INT, @Month1 INT, @Day1 INT, @Year2 INT, @Month2 INT, @Day2 INT
    DECLARE @Swap INT, @Sign INT, @Offset1 INT, @Offset2 INT, @Result INT, @J INT
    SET @Year1 = SUBSTRING(@dateLess1, 1, 4)
    SET @Month1 = SUBSTRING(@dateLess1, 6, 2)
    SET @Day1 = SUBSTRING(@dateLess1, 9, 2)
    SET @Year2 = SUBSTRING(@dateUp2, 1, 4)
    SET @Month2 = SUBSTRING(@dateUp2, 6, 2)
    SET @Day2 = SUBSTRING(@dateUp2, 9, 2)
    SET @Sign = 1
    IF @Year1 > @Year2
        OR (@Year1 = @Year2 AND @Month1 > @Month2)
        OR (@Year1 = @Year2 AND @Month1 = @Month2 AND @Day1 > @Day2)
    BEGIN
        SET @Swap = @Year1
        SET @Year1 = @Year2
        SET @Year2 = @Swap
        SET @Swap = @Month1
        SET @Month1 = @Month2
        SET @Month2 = @Swap
        SET @Swap = @Day1
        SET @Day1 = @Day2
        SET @Day2 = @Swap
        SET @Sign = -1
    END
    SET @Offset1 = CASE WHEN @Month1 <= 6 THEN (@Month1 - 1) * 31 ELSE 186 + (@Month1 - 7) * 30 END + @Day1
    SET @Offset2 = CASE WHEN @Month2 <= 6 THEN (@Month2 - 1) * 31 ELSE 186 + (@Month2 - 7) * 30 END + @Day2
    SET @Result = 365 * (@Year2 - @Year1) + (@Offset2 - @Offset1)
    SET @J = @Year1
    WHILE @J < @Year2
    BEGIN
        IF @J % 33 IN (1, 5, 9, 13, 17, 22, 26, 30) SET @Result = @Result + 1
        SET @J = @J + 1
    END
    RETURN ISNULL(@Result * @Sign, 0)
END
)sql";

}  // namespace

std::vector<ObjectStep> DateFunctionSteps() {
    return {
        {"Fn_Milad2shamsi",
         {"IF OBJECT_ID('DBO.Fn_Miladi2shamsi') IS NOT NULL DROP FUNCTION DBO.Fn_Miladi2shamsi"},
         SqlLines(kMiladi2shamsi), GaugeEffect::None},
        {"Fn_DayDiff",
         {"IF OBJECT_ID('DBO.Fn_DayDiff') IS NOT NULL DROP FUNCTION DBO.Fn_DayDiff"},
         SqlLines(kDaydiff), GaugeEffect::None},
    };
}

}  // namespace orvel
