#include "workbench/host_services.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <memory>

#include "data/core/host_timer.h"
#include "data/statement/long_call.h"
#include "workbench/dialogs.h"

namespace {

class TQtHostTimer : public THostTimer {
 public:
  TQtHostTimer() {
    timer_.setTimerType(Qt::CoarseTimer);
    // A tick runs client calls; whatever they raise goes to the error box, not the loop.
    // During a long call the connection is the call's: the tick waits for a later round.
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (!LongCallRunning()) RunHandler([this] { Tick(); });
    });
  }

 protected:
  void Changed() override {
    if (Enabled() && Interval() > 0) {
      timer_.start(Interval());
    } else {
      timer_.stop();
    }
  }

 private:
  QTimer timer_;
};

// Turns a Qt date or time pattern into the d/m/y and h/n/s letters of the data layer.
std::string ConvertPattern(const QString& pattern, bool time) {
  std::string out;
  for (int i = 0; i < pattern.size(); ++i) {
    const QChar c = pattern[i];
    if (c == '\'') {
      const int end = pattern.indexOf('\'', i + 1);
      const QString literal = pattern.mid(i + 1, end < 0 ? -1 : end - i - 1);
      out += '"' + literal.toLatin1().toStdString() + '"';
      if (end < 0) break;
      i = end;
      continue;
    }
    switch (c.unicode()) {
      case 'd':
        out += time ? "" : "d";
        break;
      case 'M':
        out += 'm';
        break;
      case 'y':
        out += 'y';
        break;
      case 'h':
      case 'H':
        out += 'h';
        break;
      case 'm':
        out += 'n';
        break;
      case 's':
        out += 's';
        break;
      case 'z':
        out += 'z';
        break;
      case 'a':
      case 'A':  // "AP" / "ap": no 12-hour form in the data layer
        if (i + 1 < pattern.size() && (pattern[i + 1] == 'p' || pattern[i + 1] == 'P')) ++i;
        break;
      case 't':
        break;  // nor a zone name
      default:
        out += c.unicode() < 0x100 ? static_cast<char>(c.unicode()) : ' ';
        break;
    }
  }
  // Trim what dropping am/pm or zone letters left behind.
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// Two-digit years become four: a year shown as "88" would be read back as another
// century's (1899 as 1999), so the text must hold the whole year.
std::string FourDigitYears(const std::string& format) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '"') quoted = !quoted;
    if (quoted || format[i] != 'y') {
      out += format[i];
      continue;
    }
    size_t run = 1;
    while (i + run < format.size() && format[i + run] == 'y') ++run;
    out.append(std::max<size_t>(run, 4), 'y');
    i += run - 1;
  }
  return out;
}

}  // namespace

void InstallQtHostTimers() {
  SetHostTimerFactory([] { return std::make_unique<TQtHostTimer>(); });
}

TFormatSettings FormatSettingsFromLocale(const QLocale& locale) {
  TFormatSettings settings;
  const QString decimal = locale.decimalPoint();
  if (decimal.size() == 1 && decimal[0].unicode() < 0x80)
    settings.DecimalSeparator = static_cast<char>(decimal[0].unicode());
  const QString date_pattern = locale.dateFormat(QLocale::ShortFormat);
  std::string date = ConvertPattern(date_pattern, false);
  // The C locale's date, and any that names months or days, which the data layer neither
  // writes nor reads, is shown in ISO 8601.
  if (locale.language() == QLocale::C || date_pattern.contains(QLatin1String("MMM")) ||
      date_pattern.contains(QLatin1String("ddd")))
    date = "yyyy-mm-dd";
  else
    date = FourDigitYears(date);
  std::string time = ConvertPattern(locale.timeFormat(QLocale::LongFormat), true);
  // The separators are the first non-letter characters of each pattern.
  for (char c : date)
    if (c != 'd' && c != 'm' && c != 'y' && c != '"') {
      settings.DateSeparator = c;
      break;
    }
  for (char c : time)
    if (c != 'h' && c != 'n' && c != 's' && c != 'z' && c != '"') {
      settings.TimeSeparator = c;
      break;
    }
  if (!date.empty()) settings.ShortDateFormat = date;
  // Qt's long time carries the zone name; keep the clock part only.
  if (!time.empty()) settings.LongTimeFormat = time;
  return settings;
}

bool InstallQtTranslations(const QLocale& locale) {
  static QTranslator* installed = nullptr;
  auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
  if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  if (installed) QCoreApplication::removeTranslator(installed);
  delete installed;
  installed = translator.release();
  QCoreApplication::installTranslator(installed);
  return true;
}
