#include "app/translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>

#include <vector>

namespace brevak {

namespace {

struct TCatalogues {
  QTranslator Program;
  QTranslator Qt;
  bool HasProgram = false;
};

}  // namespace

QStringList TranslationFolders() {
  const QString dir = QCoreApplication::applicationDirPath();
  return {dir + QStringLiteral("/translations"),
          QDir::cleanPath(dir + QStringLiteral("/../share/brevak/translations"))};
}

bool InstallTranslations(const QLocale& locale, const QStringList& folders) {
  // One set for the process, installed into each application made (the window's after the
  // command line's); loading again replaces what an earlier call installed.
  static TCatalogues catalogues;
  QCoreApplication::removeTranslator(&catalogues.Program);
  QCoreApplication::removeTranslator(&catalogues.Qt);
  catalogues.HasProgram = false;
  for (const QString& folder : folders) {
    if (catalogues.Program.load(locale, QStringLiteral("brevak"), QStringLiteral("_"), folder)) {
      catalogues.HasProgram = true;
      break;
    }
  }
  // Qt's catalogue only beside a language of ours, so that the words around a message never
  // speak another language than the message itself.
  const bool hasQt = catalogues.HasProgram &&
                     catalogues.Qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                                        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (hasQt) QCoreApplication::installTranslator(&catalogues.Qt);
  if (catalogues.HasProgram) QCoreApplication::installTranslator(&catalogues.Program);
  return catalogues.HasProgram;
}

namespace {

// The English texts of the layers below the window, as formats: %1, %2 ... stand for what a
// message carries (names, paths, URLs, numbers, a server's words, or a cause that is itself one of
// these shapes). Where one shape begins like another, the longer one comes first.
// Long formats are split across lines, every element ends with its comma.
// NOLINTBEGIN(bugprone-suspicious-missing-comma)
constexpr const char* kMessageShapes[] = {
    // First: it wraps a message of another shape.
    QT_TRANSLATE_NOOP("Message", "%1. Every key is listed in %2"),
    QT_TRANSLATE_NOOP("Message", "Could not fetch \"%1\" from %2: %3"),
    QT_TRANSLATE_NOOP("Message",
                      "No host is set for \"%1\": add %2=HOST[:PORT] under [Hosts] in "
                      "%3 (%4 in sources.ini is no source's name)"),
    QT_TRANSLATE_NOOP("Message",
                      "No host is set for \"%1\": add %2=HOST[:PORT] under [Hosts] in "
                      "%3 (%4 in sources.ini are no source's names)"),
    QT_TRANSLATE_NOOP("Message",
                      "No host is set for \"%1\": add %2=HOST[:PORT] under [Hosts] in %3"),
    QT_TRANSLATE_NOOP("Message",
                      "The host \"%1\" of \"%2\" in %3 is not a host name, host:port, "
                      "[IPv6 address]:port or an http:// or https:// URL without user name or "
                      "fragment"),
    QT_TRANSLATE_NOOP("Message",
                      "Cannot create file \"%1\". The folder \"%2\" does not take new "
                      "files: %3"),
    QT_TRANSLATE_NOOP("Message",
                      "Cannot load file \"%1\". It begins with the UTF-8 signature but "
                      "does not hold valid UTF-8; it was left unchanged"),
    QT_TRANSLATE_NOOP("Message", "Cannot read file \"%1\". %2"),
    QT_TRANSLATE_NOOP("Message", "Cannot open file \"%1\". %2"),
    QT_TRANSLATE_NOOP("Message", "Cannot create file \"%1\". %2"),
    QT_TRANSLATE_NOOP("Message", "Cannot write file \"%1\". %2"),
    QT_TRANSLATE_NOOP("Message", "Unable to write to %1"),
    QT_TRANSLATE_NOOP("Message", "It is a named pipe (FIFO), not a regular file"),
    QT_TRANSLATE_NOOP("Message", "It is a character device, not a regular file"),
    QT_TRANSLATE_NOOP("Message", "It is a block device, not a regular file"),
    QT_TRANSLATE_NOOP("Message", "It is a socket, not a regular file"),
    QT_TRANSLATE_NOOP("Message", "It is a link that belongs to another user"),
    QT_TRANSLATE_NOOP("Message", "It belongs to another user"),
    QT_TRANSLATE_NOOP("Message", "Other users may change it"),
    QT_TRANSLATE_NOOP("Message", "It is something other than a file, not a regular file"),
    // A cause met through a proxy says so after it.
    QT_TRANSLATE_NOOP("Message", "%1 (through proxy %2)"),
    QT_TRANSLATE_NOOP("Message", "it is a symbolic link"),
    QT_TRANSLATE_NOOP("Message", "it is no regular file"),
    QT_TRANSLATE_NOOP("Message", "it belongs to another user"),
    QT_TRANSLATE_NOOP("Message", "unknown error"),
    QT_TRANSLATE_NOOP("Message", "timed out after %1 s"),
    QT_TRANSLATE_NOOP("Message", "the server's status line is malformed"),
    QT_TRANSLATE_NOOP("Message", "the proxy port \"%1\" is not a number from 1 to 65535"),
    QT_TRANSLATE_NOOP("Message", "the port \"%1\" is not a number from 1 to 65535"),
    QT_TRANSLATE_NOOP("Message", "host not found"),
    QT_TRANSLATE_NOOP("Message", "connection refused"),
    QT_TRANSLATE_NOOP("Message", "timed out"),
    QT_TRANSLATE_NOOP("Message", "connection reset by the server"),
    QT_TRANSLATE_NOOP("Message", "connection closed by the server"),
    QT_TRANSLATE_NOOP("Message", "connection closed by the peer"),
    QT_TRANSLATE_NOOP("Message", "out of memory"),
    QT_TRANSLATE_NOOP("Message", "TLS unavailable"),
    QT_TRANSLATE_NOOP("Message", "TLS handshake failed: %1"),
    QT_TRANSLATE_NOOP("Message", "TLS error: %1"),
    QT_TRANSLATE_NOOP("Message", "network error %1"),
    QT_TRANSLATE_NOOP("Message", "response body too large"),
    QT_TRANSLATE_NOOP("Message", "response header too large"),
    QT_TRANSLATE_NOOP("Message", "malformed chunked body"),
    QT_TRANSLATE_NOOP("Message", "chunk size too large"),
    QT_TRANSLATE_NOOP("Message", "the server's gzip data is corrupt"),
    QT_TRANSLATE_NOOP("Message", "the server's deflate data is corrupt"),
    QT_TRANSLATE_NOOP("Message",
                      "the server sent the list encoded as \"%1\", which Brevak cannot "
                      "read"),
    QT_TRANSLATE_NOOP("Message",
                      "the server answered %1. The list is now at %2: to fetch it "
                      "from there, set %3=%4 under [Hosts] in %5"),
    QT_TRANSLATE_NOOP("Message", "the server answered %1. The list is now at %2"),
    QT_TRANSLATE_NOOP("Message", "the server answered %1 (the list is now at %2)"),
    QT_TRANSLATE_NOOP("Message", "the server answered %1"),
    QT_TRANSLATE_NOOP("Message", "proxy %1 refused the connection"),
    QT_TRANSLATE_NOOP("Message", "proxy %1 answered %2"),
    QT_TRANSLATE_NOOP("Message", "proxy %1: %2"),
    QT_TRANSLATE_NOOP("Message", "no HTTP answer to CONNECT"),
    QT_TRANSLATE_NOOP("Message", "data before the TLS handshake"),
    QT_TRANSLATE_NOOP("Message", "the proxy %1://... is not supported (only http:// proxies)"),
    QT_TRANSLATE_NOOP("Message", "the proxy \"%1\" names no host"),
    // A "[Source NAME]" section of sources.ini that was left out: where, which key, and why.
    QT_TRANSLATE_NOOP("Message", "%1, line %2: [%3] %4: %5"),
    QT_TRANSLATE_NOOP("Message", "%1, line %2: [%3]: %4"),
    QT_TRANSLATE_NOOP("Message", "missing"),
    QT_TRANSLATE_NOOP("Message", "no such key"),
    QT_TRANSLATE_NOOP("Message", "not a number of lines from 0 to 1000000"),
    QT_TRANSLATE_NOOP("Message", "not windows-1251, utf-8 or auto"),
    QT_TRANSLATE_NOOP("Message", "not only or any"),
    QT_TRANSLATE_NOOP("Message", "not lines, columns or pattern"),
    QT_TRANSLATE_NOOP("Message", "not used by Rule=%1"),
    QT_TRANSLATE_NOOP("Message", "not one character (or tab)"),
    QT_TRANSLATE_NOOP("Message", "not a column number from 1 to 1000"),
    QT_TRANSLATE_NOOP("Message", "not all or first"),
    QT_TRANSLATE_NOOP("Message", "at position %1: %2"),
    QT_TRANSLATE_NOOP("Message",
                      "only patterns of the forms TEXT(.*?)TEXT, (.*?)TEXT and "
                      "TEXT(.*?\\d.*?)TEXT, or without *, + and ?, are searched in a time that "
                      "no page can stretch"),
    QT_TRANSLATE_NOOP("Message", "the section names no source"),
    QT_TRANSLATE_NOOP("Message", "the name is longer than 40 characters"),
    QT_TRANSLATE_NOOP("Message", "the name may not hold control characters, ',', '=', '[' or ']'"),
    QT_TRANSLATE_NOOP("Message", "\"all\" names every source on the command line"),
    QT_TRANSLATE_NOOP("Message", "a source of this name is described above"),
    // Why a source's URL is refused.
    QT_TRANSLATE_NOOP("Message", "not an http:// or https:// URL"),
    QT_TRANSLATE_NOOP("Message", "a fragment (#...) is never sent to the server"),
    QT_TRANSLATE_NOOP("Message", "spaces, control characters and non-ASCII must be %-escaped"),
    QT_TRANSLATE_NOOP("Message", "a query needs a path (/?...)"),
    QT_TRANSLATE_NOOP("Message", "a user name is not allowed"),
    QT_TRANSLATE_NOOP("Message", "the IPv6 address has no closing ]"),
    QT_TRANSLATE_NOOP("Message", "text after the IPv6 address"),
    QT_TRANSLATE_NOOP("Message", "not an IPv6 address in brackets"),
    QT_TRANSLATE_NOOP("Message", "no host"),
    QT_TRANSLATE_NOOP("Message", "the host is not a host name"),
    QT_TRANSLATE_NOOP("Message", "the port is not a number from 1 to 65535"),
    // Why the matcher refuses a pattern.
    QT_TRANSLATE_NOOP("Message", "TMatcher(comp): Too Many Groups"),
    QT_TRANSLATE_NOOP("Message", "TMatcher(comp): Missing )"),
    QT_TRANSLATE_NOOP("Message", "TMatcher(comp): Unmatched )"),
    QT_TRANSLATE_NOOP("Message", "TMatcher(comp): Repeated Atom Can Match Nothing"),
    QT_TRANSLATE_NOOP("Message", "TMatcher(comp): Nested Repetition"),
    QT_TRANSLATE_NOOP("Message", "TMatcher(comp): Repetition Follows Nothing"),
    QT_TRANSLATE_NOOP("Message", "TMatcher(comp): Trailing \\"),
    QT_TRANSLATE_NOOP("Message", "TMatcher(comp): Unsupported Construct"),
};
// NOLINTEND(bugprone-suspicious-missing-comma)

struct TMessageShape {
  const char* Format;
  QRegularExpression Pattern;  // the whole text, one group per placeholder in order
};

// Each format as a pattern: its words literal, each placeholder a group that takes as little as
// lets the rest match, the last one everything to the end.
std::vector<TMessageShape> MakeShapes() {
  std::vector<TMessageShape> shapes;
  static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
  for (const char* format : kMessageShapes) {
    const QString text = QString::fromUtf8(format);
    QString pattern = QStringLiteral("^");
    qsizetype at = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      pattern += QRegularExpression::escape(text.mid(at, m.capturedStart() - at));
      pattern += it.hasNext() ? QStringLiteral("(.+?)") : QStringLiteral("(.+)");
      at = m.capturedEnd();
    }
    pattern += QRegularExpression::escape(text.mid(at)) + QStringLiteral("$");
    shapes.push_back(
        {format, QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)});
  }
  return shapes;
}

}  // namespace

QString TranslatedMessage(const QString& english) {
  // Several messages, one a line (every faulty section of sources.ini told at once): each on its
  // own, as no message holds a line break of its own (outside text has its breaks escaped).
  if (english.contains(u'\n')) {
    QStringList lines = english.split(u'\n');
    for (QString& line : lines) line = TranslatedMessage(line);
    return lines.join(u'\n');
  }
  static const std::vector<TMessageShape> shapes = MakeShapes();
  for (const TMessageShape& shape : shapes) {
    const QRegularExpressionMatch m = shape.Pattern.match(english);
    if (!m.hasMatch()) continue;
    QString text = QCoreApplication::translate("Message", shape.Format);
    // Filled in one pass, so that a %N inside an argument (a path, a server's words) is kept.
    QStringList arguments;
    for (int i = 1; i <= m.lastCapturedIndex(); ++i) arguments << TranslatedMessage(m.captured(i));
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
      const int n = i + 1 < text.size() ? text[i + 1].digitValue() : -1;
      if (text[i] == u'%' && n >= 1 && n <= arguments.size()) {
        result += arguments[n - 1];
        ++i;
      } else {
        result += text[i];
      }
    }
    return result;
  }
  return english;
}

}  // namespace brevak
