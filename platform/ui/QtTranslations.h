#pragma once

class QCoreApplication;

namespace orvel {

// Loads Qt's German translations (qtbase_de), so that Qt's own buttons and
// dialogs speak German like the rest of the program. Returns false when the
// translation files are not installed; the program then runs with Qt's
// English texts.
bool InstallQtGermanTranslations(QCoreApplication &app);

} // namespace orvel
