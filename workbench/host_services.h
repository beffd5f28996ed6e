// What the data layer asks of its host: timers that tick through Qt's event loop, and
// the text forms of numbers and dates after the user's locale.
#pragma once

#include <QLocale>

#include "data/core/format_settings.h"

// Makes the data layer's timers (idle timers of connections and transactions) QTimers.
void InstallQtHostTimers();

// The formatting settings that match `locale`: separators, short date and long time.
// Years are shown with four digits; the C locale (and one whose short date names months)
// gets ISO 8601 dates, yyyy-mm-dd.
TFormatSettings FormatSettingsFromLocale(const QLocale& locale);

// Qt's own texts (standard buttons, file dialogs, edit menus) in `locale`'s language, from
// Qt's translations; false when there are none for it, and Qt's texts stay English.
bool InstallQtTranslations(const QLocale& locale);
