#pragma once

#include <QString>

namespace pelorin {

// Loads the program's translation for a locale ("de", "de_DE", "de-AT"…)
// into the application, replacing the one loaded before. English, the
// language of the texts themselves, needs none. Returns whether a
// translation is now in place.
bool installTranslations(const QString &locale);

} // namespace pelorin
