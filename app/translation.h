// The user's language: the program's catalogue and Qt's own one (standard buttons, the command
// line parser's words) for the language QLocale::system() reads from LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG. English, the language the texts are written in, needs neither; so does a
// language with no catalogue. Tested by tests/app/translation_qtest.cpp.
#pragma once

#include <QLocale>
#include <QString>

namespace brevak {

// The folders searched for brevak_<language>.qm, first found wins: translations/ beside the
// program (a build tree or a portable copy), then share/brevak/translations under its prefix.
QStringList TranslationFolders();

// Loads the catalogues for locale from the first of folders that has ours, and installs them into
// the running application, in place of those an earlier call installed (call again after a new
// QCoreApplication is made). Returns true when the program's own catalogue was found; nothing is
// installed otherwise, and the texts stay English.
bool InstallTranslations(const QLocale& locale = QLocale::system(),
                         const QStringList& folders = TranslationFolders());

// A message from the layers below the window, which write English: the same text in the user's
// language when it has one of the known shapes ("Could not fetch \"%1\" from %2: %3" with the
// cause translated in turn); names, paths, URLs and numbers in it are kept as they are. Any other
// text is returned unchanged. A text of several lines is taken as one message a line.
QString TranslatedMessage(const QString& english);

}  // namespace brevak
