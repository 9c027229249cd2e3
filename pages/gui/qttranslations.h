// Qt's own texts (file dialogs, standard buttons, context menus) in Russian,
// like every caption of the program.
#pragma once

class QCoreApplication;

// Loads the Russian translations that the system's Qt ships; false when they
// are not installed (Qt's texts then stay English).
bool InstallQtTranslations(QCoreApplication& app);
