// Qt's own texts (file dialogs, standard buttons) in Russian, like the rest of the program.
#pragma once

class QCoreApplication;

namespace ktv31 {

// Installs Qt's Russian translation (qtbase_ru from the system's Qt translations folder) on
// `app`, whatever language the desktop speaks; before the first window. False, with a warning,
// when the translation is not installed: Qt's dialogs then stay in English.
bool LoadQtTranslations(QCoreApplication &app);

} // namespace ktv31
