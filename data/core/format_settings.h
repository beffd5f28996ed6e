// Text forms of numbers, money and dates, after the user's locale.
#pragma once

#include <cstdint>
#include <string>

// Filled by the application from the user's locale at start-up; tests pin their own.
// Date formats use d, dd, m, mm, yy, yyyy; time formats h, hh, n, nn, s, ss, z, zzz;
// "/" and ":" stand for the separators; text in quotes is copied as written.
struct TFormatSettings {
  char DecimalSeparator = '.';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "dd/mm/yyyy";
  std::string LongTimeFormat = "hh:nn:ss";
};

// The process-wide settings (UI thread only).
const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);

// Days since 30 December 1899, the time of day as the fraction. Before that day the
// fraction counts backwards: -1.25 is 29 December 1899, 06:00.
using TDateTime = double;

// Fixed point with 4 decimals: `value` counts ten-thousandths.
struct Currency {
  int64_t value = 0;
  static Currency FromDouble(double d);  // rounded to the nearest ten-thousandth
  static Currency FromUnits(int64_t units) { return Currency{units * 10000}; }
  double ToDouble() const { return static_cast<double>(value) / 10000.0; }
  bool operator==(const Currency&) const = default;
};

// Calendar conversions; independent of the machine's time zone.
int64_t DaysFromCivil(int year, int month, int day);  // days since 30 December 1899
void CivilFromDays(int64_t days, int& year, int& month, int& day);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
TDateTime EncodeDate(int year, int month, int day);  // EConvertError when invalid
TDateTime EncodeTime(int hour, int minute, int second, int msec);
// Joins a date and a time of day, keeping the sign rule for dates before the zero day.
TDateTime CombineDateTime(TDateTime date, TDateTime time);
// Both cut to the millisecond, never rounded up: 23:59:59.9999 is still that day's.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);

// Firebird's own counts: days since 17 November 1858 (ISC_DATE) and ten-thousandths of a
// second since midnight (ISC_TIME).
TDateTime IscDateToDateTime(int32_t date);
TDateTime IscTimeToDateTime(uint32_t time);
TDateTime IscTimestampToDateTime(int32_t date, uint32_t time);
// Cut to the ten-thousandth, never rounded up into the next second or day; false
// outside the years 1 to 9999.
bool DateTimeToIsc(TDateTime value, int32_t& date, uint32_t& time);
// The time of day alone, cut the same way, whatever the day; false when not finite.
bool TimeOfDayToIsc(TDateTime value, uint32_t& time);

std::string FormatDateTime(const std::string& format, TDateTime value);
std::string DateToStr(TDateTime value);
// The long time format, with ".zzz" after the seconds when the value has milliseconds,
// so that the text shows what is stored.
std::string TimeToStr(TDateTime value);
// Date and time as above; the time is left out at exactly midnight.
std::string DateTimeToStr(TDateTime value);

// A date after the short date format's order with the date separator, an optional
// time h:n[:s[.f]] after it (f: up to four decimals of the second), or a time alone.
bool TryStrToDateTime(const std::string& text, TDateTime& result);

// The shortest text that reads back to the same value in its own precision: 0.1 for a
// FLOAT's 0.1 (`single`), 0.30000000000000004 for 0.1 + 0.2. Exponent form ("1E15",
// "1.5E-5") outside 1E-4 to 1E15, as the general format shows it.
std::string FloatToStr(double value, bool single = false);
// Up to 4 decimals, trailing zeros removed.
std::string CurrToStr(Currency value);
// The exact decimal text of value * 10^scale at any scale, with the decimal separator and
// every decimal of the scale: 1050 at scale -2 is "10.50".
std::string ScaledToStr(int64_t value, int scale);
// 10 to the power n, or 0 when n is negative or the power does not fit 64 bits.
int64_t PowerOfTen(int n);
// Each accepts blanks around the number; the decimal separator is the settings' one, and
// a text with any other character (a group separator, a second separator) is refused.
bool TryStrToInt(const std::string& text, int32_t& result);
bool TryStrToInt64(const std::string& text, int64_t& result);
bool TryStrToFloat(const std::string& text, double& result);
bool TryStrToCurr(const std::string& text, Currency& result);
