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
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);

std::string FormatDateTime(const std::string& format, TDateTime value);
std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
// Date and long time; the time is left out at exactly midnight.
std::string DateTimeToStr(TDateTime value);

// A date after the short date format's order with the date separator, an optional
// time h:n[:s[.z]] after it, or a time alone.
bool TryStrToDateTime(const std::string& text, TDateTime& result);

// General format with 15 significant digits.
std::string FloatToStr(double value);
// Up to 4 decimals, trailing zeros removed.
std::string CurrToStr(Currency value);
// The exact decimal text of value * 10^scale at any scale, written as currency is: the
// decimal separator, no trailing zeros.
std::string ScaledToStr(int64_t value, int scale);
// 10 to the power n, or 0 when n is negative or the power does not fit 64 bits.
int64_t PowerOfTen(int n);
// Each accepts blanks around the number; the decimal separator is the settings' one.
bool TryStrToInt(const std::string& text, int32_t& result);
bool TryStrToInt64(const std::string& text, int64_t& result);
bool TryStrToFloat(const std::string& text, double& result);
bool TryStrToCurr(const std::string& text, Currency& result);
