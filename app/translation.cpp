#include "app/translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>

#include <vector>

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
