#pragma once
// Dates are day counts from 30 December 1899 (the whole part), with the time of day as the
// fraction; 0 stands for "no date". Before that day the count is negative and the time of day
// is still the fraction's size: -1.25 is 29 December 1899, 06:00 (not 28 December, 18:00).
#include <cstdint>
#include <string>
#include <string_view>

namespace tesma::locale {

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

struct CivilTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);

// Day count of a (proleptic Gregorian) date, and back. Valid for years 1..9999.
double EncodeDate(int year, int month, int day);
CivilDate DecodeDate(double date);
CivilTime DecodeTime(double date);
// A day count and a time of day (a fraction of a day, 0 <= time < 1) as one date value.
double WithTimeOfDay(double day, double time);
// A date value as a point on a continuous scale of days (as table files count time stamps),
// and back.
double ToContinuousDays(double date);
double FromContinuousDays(double days);

// Day of the week, Monday 1 .. Sunday 7.
int IsoDayOfWeek(double date);

// The local date and time now, as a day count with fraction.
double Now();

// "DD.MM.YYYY"-style text of a date with the given separator; empty for the date 0.
std::string FormatShortDate(double date, char separator);

// Reads three numbers separated by `separator`; `order` is "DMY", "MDY" or "YMD".
// Returns false when the text is not a valid date. Two-digit years fall in 1950..2049.
bool ParseDate(std::string_view text, std::string_view order, char separator, double& result);

// The date order ("DMY", "MDY", "YMD") of a pattern such as "dd.mm.yyyy": the first of the
// letters D, M, Y in it decides.
std::string DateOrderOf(std::string_view pattern);

}  // namespace tesma::locale
