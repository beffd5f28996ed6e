#include "data/core/format_settings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "data/errors/errors.h"

namespace {

TFormatSettings& Settings() {
  static TFormatSettings settings;
  return settings;
}

constexpr int64_t kUnixEpochOffset = 25569;  // 1 January 1970 counted from 30 December 1899
constexpr double kMsecPerDay = 86400000.0;
constexpr int64_t kIscDateOfZeroDay = 15018;  // ISC_DATE of 30 December 1899
constexpr int64_t kIscTicksPerDay = 864000000;

// Splits `value` into whole days and the time of day in 1/`units_per_day` steps, cut to
// the step. Only the double's own error (one unit in its last place) may carry it up to
// the next step, so a time of day is never rounded into the next second or day.
void SplitDateTime(TDateTime value, int64_t units_per_day, int64_t& days, int64_t& units) {
  // Far beyond any calendar a value can mean: kept inside the integers, without a time.
  constexpr double kFarDays = 1e9;
  if (!(std::fabs(value) <= kFarDays)) {
    days = std::isnan(value) ? 0
           : value < 0       ? -static_cast<int64_t>(kFarDays)
                             : static_cast<int64_t>(kFarDays);
    units = 0;
    return;
  }
  const double magnitude = std::fabs(value);
  const double whole = std::trunc(value);
  const double slack = (std::nextafter(magnitude, HUGE_VAL) - magnitude) * units_per_day;
  units = static_cast<int64_t>(std::floor(std::fabs(value - whole) * units_per_day + slack));
  days = static_cast<int64_t>(whole);
  // Within the double's error of the next day: that day's midnight.
  if (units >= units_per_day) {
    units -= units_per_day;
    days += value >= 0 ? 1 : -1;
  }
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Trim(const std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string TwoDigits(int n) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", n);
  return buffer;
}

// Scans an unsigned decimal number of at most `max_digits` digits.
bool ScanNumber(const std::string& text, size_t& pos, int& result, int max_digits = 9) {
  size_t start = pos;
  int64_t value = 0;
  while (pos < text.size() && IsDigit(text[pos]) && pos - start < static_cast<size_t>(max_digits))
    value = value * 10 + (text[pos++] - '0');
  if (pos == start) return false;
  result = static_cast<int>(value);
  return true;
}

void SkipBlanks(const std::string& text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
}

bool IsLetterAt(const std::string& text, size_t pos, char lower) {
  return pos < text.size() && (text[pos] == lower || text[pos] == lower - 'a' + 'A');
}

// h:n[:s[.f]] [AM|PM], f up to four decimals of the second (Firebird keeps four).
bool ScanTime(const std::string& text, size_t& pos, TDateTime& result) {
  const char sep = FormatSettings().TimeSeparator;
  int hour = 0, minute = 0, second = 0, ticks = 0;
  if (!ScanNumber(text, pos, hour, 2)) return false;
  if (pos >= text.size() || text[pos] != sep) return false;
  ++pos;
  if (!ScanNumber(text, pos, minute, 2)) return false;
  if (pos < text.size() && text[pos] == sep) {
    ++pos;
    if (!ScanNumber(text, pos, second, 2)) return false;
    if (pos < text.size() && text[pos] == '.') {
      const size_t start = ++pos;
      if (!ScanNumber(text, pos, ticks, 4)) return false;
      for (size_t digits = pos - start; digits < 4; ++digits) ticks *= 10;
    }
  }
  SkipBlanks(text, pos);
  if (IsLetterAt(text, pos, 'a') && IsLetterAt(text, pos + 1, 'm')) {
    if (hour > 12) return false;
    if (hour == 12) hour = 0;
    pos += 2;
  } else if (IsLetterAt(text, pos, 'p') && IsLetterAt(text, pos + 1, 'm')) {
    if (hour > 12) return false;
    if (hour < 12) hour += 12;
    pos += 2;
  }
  if (hour > 23 || minute > 59 || second > 59) return false;
  result = IscTimeToDateTime(
      static_cast<uint32_t>((hour * 3600 + minute * 60 + second) * 10000 + ticks));
  return true;
}

// Three numbers in the short date format's order, split by the date separator.
bool ScanDate(const std::string& text, size_t& pos, TDateTime& result) {
  const TFormatSettings& settings = FormatSettings();
  std::string order;
  for (char c : settings.ShortDateFormat) {
    char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if ((lower == 'd' || lower == 'm' || lower == 'y') && order.find(lower) == std::string::npos)
      order += lower;
  }
  if (order.size() != 3) order = "dmy";
  int parts[3];
  size_t digits[3];
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != settings.DateSeparator) return false;
      ++pos;
    }
    size_t start = pos;
    if (!ScanNumber(text, pos, parts[i], order[i] == 'y' ? 4 : 2)) return false;
    digits[i] = pos - start;
  }
  int year = 0, month = 0, day = 0;
  for (int i = 0; i < 3; ++i) {
    if (order[i] == 'd') day = parts[i];
    if (order[i] == 'm') month = parts[i];
    if (order[i] == 'y') {
      year = parts[i];
      if (digits[i] <= 2) year += year < 50 ? 2000 : 1900;
    }
  }
  return TryEncodeDate(year, month, day, result);
}

}  // namespace

const TFormatSettings& FormatSettings() {
  return Settings();
}

void SetFormatSettings(const TFormatSettings& settings) {
  Settings() = settings;
}

Currency Currency::FromDouble(double d) {
  double scaled = std::round(d * 10000.0);
  if (!(std::fabs(scaled) < 9.2e18)) throw EConvertError("Currency value out of range");
  return Currency{static_cast<int64_t>(scaled)};
}

int64_t DaysFromCivil(int year, int month, int day) {
  // Proleptic Gregorian calendar, after H. Hinnant's days_from_civil.
  const int64_t y = static_cast<int64_t>(year) - (month <= 2);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + kUnixEpochOffset;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  const int64_t z = days - kUnixEpochOffset + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
  result = static_cast<TDateTime>(DaysFromCivil(year, month, day));
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result = 0;
  if (!TryEncodeDate(year, month, day, result))
    throw EConvertError("Invalid argument to date encode");
  return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / kMsecPerDay;
}

TDateTime CombineDateTime(TDateTime date, TDateTime time) {
  return date >= 0 ? date + time : date - time;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  int64_t days = 0, msec = 0;
  SplitDateTime(value, static_cast<int64_t>(kMsecPerDay), days, msec);
  CivilFromDays(days, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
  int64_t days = 0, ms = 0;
  SplitDateTime(value, static_cast<int64_t>(kMsecPerDay), days, ms);
  hour = static_cast<int>(ms / 3600000);
  minute = static_cast<int>(ms / 60000 % 60);
  second = static_cast<int>(ms / 1000 % 60);
  msec = static_cast<int>(ms % 1000);
}

TDateTime IscDateToDateTime(int32_t date) {
  return static_cast<TDateTime>(static_cast<int64_t>(date) - kIscDateOfZeroDay);
}

TDateTime IscTimeToDateTime(uint32_t time) {
  return static_cast<double>(time % kIscTicksPerDay) / static_cast<double>(kIscTicksPerDay);
}

TDateTime IscTimestampToDateTime(int32_t date, uint32_t time) {
  return CombineDateTime(IscDateToDateTime(date), IscTimeToDateTime(time));
}

bool DateTimeToIsc(TDateTime value, int32_t& date, uint32_t& time) {
  if (!std::isfinite(value) || std::fabs(value) > 4.0e6) return false;
  int64_t days = 0, ticks = 0;
  SplitDateTime(value, kIscTicksPerDay, days, ticks);
  int year, month, day;
  CivilFromDays(days, year, month, day);
  if (year < 1 || year > 9999) return false;
  date = static_cast<int32_t>(days + kIscDateOfZeroDay);
  time = static_cast<uint32_t>(ticks);
  return true;
}

bool TimeOfDayToIsc(TDateTime value, uint32_t& time) {
  if (!std::isfinite(value)) return false;
  int64_t days = 0, ticks = 0;
  // Split from the whole value: its fraction alone would lose the error bound.
  SplitDateTime(value, kIscTicksPerDay, days, ticks);
  time = static_cast<uint32_t>(ticks);
  return true;
}

std::string FormatDateTime(const std::string& format, TDateTime value) {
  const TFormatSettings& settings = FormatSettings();
  int year, month, day, hour, minute, second, msec;
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, minute, second, msec);
  std::string out;
  size_t i = 0;
  while (i < format.size()) {
    char c = format[i];
    if (c == '"' || c == '\'') {
      size_t end = format.find(c, i + 1);
      if (end == std::string::npos) end = format.size();
      out += format.substr(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    size_t run = 1;
    while (i + run < format.size() && (format[i + run] == c || format[i + run] == lower ||
                                       format[i + run] == lower - 'a' + 'A'))
      ++run;
    switch (lower) {
      case 'd':
        out += run >= 2 ? TwoDigits(day) : std::to_string(day);
        break;
      case 'm':
        out += run >= 2 ? TwoDigits(month) : std::to_string(month);
        break;
      case 'y':
        if (run >= 3) {
          char buffer[16];
          std::snprintf(buffer, sizeof buffer, "%04d", year);
          out += buffer;
        } else {
          out += TwoDigits(year % 100);
        }
        break;
      case 'h':
        out += run >= 2 ? TwoDigits(hour) : std::to_string(hour);
        break;
      case 'n':
        out += run >= 2 ? TwoDigits(minute) : std::to_string(minute);
        break;
      case 's':
        out += run >= 2 ? TwoDigits(second) : std::to_string(second);
        break;
      case 'z': {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, run >= 3 ? "%03d" : "%d", msec);
        out += buffer;
        break;
      }
      case '/':
        out.append(run, settings.DateSeparator);
        break;
      case ':':
        out.append(run, settings.TimeSeparator);
        break;
      default:
        out.append(run, c);
        break;
    }
    i += run;
  }
  return out;
}

std::string DateToStr(TDateTime value) {
  return FormatDateTime(FormatSettings().ShortDateFormat, value);
}

std::string TimeToStr(TDateTime value) {
  std::string format = FormatSettings().LongTimeFormat;
  int hour, minute, second, msec;
  DecodeTime(value, hour, minute, second, msec);
  if (msec != 0 && format.find_first_of("zZ") == std::string::npos) {
    // After the last run of seconds, or at the end when the format shows none.
    const size_t seconds = format.find_last_of("sS");
    format.insert(seconds == std::string::npos ? format.size() : seconds + 1, ".zzz");
  }
  return FormatDateTime(format, value);
}

std::string DateTimeToStr(TDateTime value) {
  int hour, minute, second, msec;
  DecodeTime(value, hour, minute, second, msec);
  std::string text = DateToStr(value);
  if (hour || minute || second || msec) text += " " + TimeToStr(value);
  return text;
}

bool TryStrToDateTime(const std::string& text, TDateTime& result) {
  size_t pos = 0;
  SkipBlanks(text, pos);
  TDateTime date = 0, time = 0;
  size_t start = pos;
  if (ScanDate(text, pos, date)) {
    SkipBlanks(text, pos);
    if (pos < text.size() && !ScanTime(text, pos, time)) return false;
  } else {
    pos = start;
    if (!ScanTime(text, pos, time)) return false;
  }
  SkipBlanks(text, pos);
  if (pos != text.size()) return false;
  result = CombineDateTime(date, time);
  return true;
}

std::string FloatToStr(double value, bool single) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  // The shortest digits that read back, from the scientific form: "-1.2345e+06".
  char buffer[64];
  const auto [end, ec] =
      single ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value),
                             std::chars_format::scientific)
             : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  const std::string raw(buffer, ec == std::errc() ? end : buffer);
  const size_t e = raw.find('e');
  if (e == std::string::npos) return raw;
  const bool negative = raw[0] == '-';
  std::string digits;
  for (size_t i = negative ? 1 : 0; i < e; ++i)
    if (raw[i] != '.') digits += raw[i];
  const int exponent = std::atoi(raw.c_str() + e + 1);
  const char point = FormatSettings().DecimalSeparator;
  std::string out = negative ? "-" : "";
  if (exponent >= -4 && exponent < 15) {
    if (exponent < 0) {
      out +=
          std::string("0") + point + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else {
      const size_t whole = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= whole) {
        out += digits + std::string(whole - digits.size(), '0');
      } else {
        out += digits.substr(0, whole) + point + digits.substr(whole);
      }
    }
    return out;
  }
  out += digits.substr(0, 1);
  if (digits.size() > 1) out += point + digits.substr(1);
  return out + "E" + std::to_string(exponent);  // 1E15, 1.5E-5
}

std::string ScaledToStr(int64_t value, int scale) {
  const uint64_t magnitude =
      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  if (magnitude != 0 && scale > 0) digits.append(static_cast<size_t>(scale), '0');
  const size_t decimals = scale < 0 ? static_cast<size_t>(-scale) : 0;
  if (digits.size() <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
  std::string text = value < 0 ? "-" : "";
  text += digits.substr(0, digits.size() - decimals);
  if (decimals > 0)
    text += FormatSettings().DecimalSeparator + digits.substr(digits.size() - decimals);
  return text;
}

int64_t PowerOfTen(int n) {
  if (n < 0) return 0;
  int64_t result = 1;
  for (int i = 0; i < n; ++i) {
    if (result > std::numeric_limits<int64_t>::max() / 10) return 0;
    result *= 10;
  }
  return result;
}

std::string CurrToStr(Currency value) {
  uint64_t magnitude =
      value.value < 0 ? 0 - static_cast<uint64_t>(value.value) : static_cast<uint64_t>(value.value);
  std::string text = value.value < 0 ? "-" : "";
  text += std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(10000 + magnitude % 10000).substr(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += FormatSettings().DecimalSeparator + fraction;
  return text;
}

bool TryStrToInt64(const std::string& text, int64_t& result) {
  std::string trimmed = Trim(text);
  const char* first = trimmed.data();
  const char* last = first + trimmed.size();
  if (first != last && *first == '+') ++first;
  if (first == last || (*first == '-' && first + 1 == last)) return false;
  int64_t value = 0;
  auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last) return false;
  result = value;
  return true;
}

bool TryStrToInt(const std::string& text, int32_t& result) {
  int64_t value = 0;
  if (!TryStrToInt64(text, value)) return false;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    return false;
  result = static_cast<int32_t>(value);
  return true;
}

bool TryStrToFloat(const std::string& text, double& result) {
  const char separator = FormatSettings().DecimalSeparator;
  std::string trimmed = Trim(text);
  std::string plain;
  bool seen_digit = false;
  for (char c : trimmed) {
    if (c == separator) {
      plain += '.';
    } else if (IsDigit(c) || c == '-' || c == '+' || c == 'e' || c == 'E') {
      seen_digit |= IsDigit(c);
      plain += c;
    } else {
      return false;
    }
  }
  if (!seen_digit) return false;
  const char* first = plain.data();
  const char* last = first + plain.size();
  if (*first == '+') ++first;
  double value = 0;
  auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last) return false;
  result = value;
  return true;
}

bool TryStrToCurr(const std::string& text, Currency& result) {
  const char separator = FormatSettings().DecimalSeparator;
  std::string trimmed = Trim(text);
  if (trimmed.find_first_of("eE") != std::string::npos) {
    double value = 0;
    if (!TryStrToFloat(trimmed, value) || !(std::fabs(value) < 9.2e14)) return false;
    result = Currency::FromDouble(value);
    return true;
  }
  size_t pos = 0;
  bool negative = false;
  if (pos < trimmed.size() && (trimmed[pos] == '-' || trimmed[pos] == '+'))
    negative = trimmed[pos++] == '-';
  // Exact decimal reading, rounded half away from zero at the fifth decimal. The limit is
  // checked on the final value in wider arithmetic, where the running value stops growing
  // far above it.
  constexpr unsigned __int128 kPositiveLimit = std::numeric_limits<int64_t>::max();
  constexpr unsigned __int128 kFarAbove = static_cast<unsigned __int128>(1) << 100;
  unsigned __int128 scaled = 0;
  int decimals = -1, digits = 0;
  bool round_up = false;
  for (; pos < trimmed.size(); ++pos) {
    char c = trimmed[pos];
    if (c == separator && decimals < 0) {
      decimals = 0;
      continue;
    }
    if (!IsDigit(c)) return false;
    ++digits;
    if (decimals >= 4) {
      if (decimals == 4) round_up = c >= '5';
      ++decimals;
      continue;
    }
    if (scaled < kFarAbove) scaled = scaled * 10 + static_cast<unsigned>(c - '0');
    if (decimals >= 0) ++decimals;
  }
  if (digits == 0) return false;
  for (int i = decimals < 0 ? 0 : decimals; i < 4; ++i) scaled *= 10;
  if (round_up) ++scaled;
  if (scaled > kPositiveLimit + (negative ? 1 : 0)) return false;
  const auto magnitude = static_cast<uint64_t>(scaled);
  result.value = static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
  return true;
}
