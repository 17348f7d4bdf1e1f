#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

#include "app/errorbox.h"
#include "app/translation.h"
#include "base/showntext.h"
#include "listfile/listfile.h"
#include "listfile/profile.h"
#include "listfile/stringlist.h"

namespace brevak {

namespace {

constexpr const char* kCopyright = "Copyright (C) 2026 The Brevak developers.";

QString SourceNames() {
  QStringList names;
  for (int i = 0; i < kSourceCount; ++i) names << QString::fromUtf8(SourceTable()[i].Name);
  return names.join(", ");
}

// A name as it is compared: without spaces; case is left to the comparison.
std::string Squeezed(std::string_view name) {
  std::string out;
  for (char c : name)
    if (c != ' ') out += c;
  return out;
}

bool SameSqueezed(std::string_view typed, std::string_view name) {
  const std::string squeezed = Squeezed(typed);
  return !squeezed.empty() && NameDistance(squeezed, Squeezed(name)) == 0;
}

// How a typed name may match a source's: the very name (ASCII case ignored), or the same letters
// without spaces. Every source is tried the first way before any the second, so that two clubs
// whose names differ only in spaces are both reachable.
enum class TNameMatch { Exact, Squeezed };

bool NameMatches(std::string_view typed, std::string_view name, TNameMatch match) {
  return match == TNameMatch::Exact ? SameProfileName(typed, name) : SameSqueezed(typed, name);
}

// The source a mistyped name most likely meant: the nearest within two edits, else none.
const TSource* NearestSource(std::string_view name, const TSourceList& list) {
  constexpr std::size_t kNearEdits = 2;
  const TSource* nearest = nullptr;
  std::size_t best = kNearEdits + 1;
  const std::string typed = Squeezed(name);
  for (const TSource& source : list.Sources()) {
    std::size_t d = NameDistance(typed, Squeezed(source.Name));
    if (d < best && d < typed.size()) {
      best = d;
      nearest = &source;
    }
  }
  return nearest;
}

// The refusal of a command line, as the program prints it: what is wrong, and where to read more.
std::string UsageText(const QString& why) {
  const QString program = QCoreApplication::applicationName();
  return (program + ": ").toStdString() + ShownText(why.toStdString()) + "\n" +
         QCoreApplication::translate("CommandLine", "Try '%1 --help' for more information.")
             .arg(program)
             .toStdString() +
         "\n";
}

QString Shown(std::string_view text) { return QString::fromStdString(ShownText(text)); }

// Writes the progress line over itself; the run's last value stays on screen.
class TConsoleHost : public TImportHost {
public:
  TConsoleHost(std::string name, std::FILE* err, bool show)
      : FName(std::move(name)), FErr(err), FShow(show) {}
  ~TConsoleHost() override {
    if (FShown) std::fputc('\n', FErr);
  }
  void SetPercent(int v) override {
    if (!FShow) return;
    std::fprintf(FErr, "\r%s", ProgressLine(FName, v).c_str());
    std::fflush(FErr);
    FShown = true;
  }
  void ProcessMessages() override {}

private:
  std::string FName;
  std::FILE* FErr;
  bool FShow;
  bool FShown = false;
};

// The fetches of a run, at most kMaxParallelFetches at once, each on a thread of its own that
// takes the next fetch not yet started. The documents wait until the run takes them, in order.
class TParallelFetches {
public:
  struct TResult {
    bool Done = false;
    bool Ok = false;
    TMemoryStream Document;
    std::string Cause;
  };

  // An empty URL is not fetched: its source failed before it had one.
  TParallelFetches(const std::vector<std::string>& urls, const TFetchFn& fetch)
      : FUrls(urls), FFetch(fetch), FResults(urls.size()) {
    const std::size_t workers = std::min<std::size_t>(urls.size(), kMaxParallelFetches);
    for (std::size_t i = 0; i < workers; ++i) FWorkers.emplace_back([this] { Work(); });
  }
  ~TParallelFetches() {
    for (std::thread& worker : FWorkers) worker.join();
  }
  TParallelFetches(const TParallelFetches&) = delete;
  TParallelFetches& operator=(const TParallelFetches&) = delete;

  // Waits for fetch i to end and hands its result over.
  TResult Take(std::size_t i) {
    std::unique_lock lock(FLock);
    FDone.wait(lock, [&] { return FResults[i].Done; });
    return std::move(FResults[i]);
  }

private:
  void Work() {
    for (;;) {
      std::size_t i;
      {
        std::lock_guard lock(FLock);
        if (FNext == FUrls.size()) return;
        i = FNext++;
      }
      TResult result;
      if (!FUrls[i].empty()) {
        try {
          result.Ok = FFetch(FUrls[i], result.Document, result.Cause);
        } catch (const std::exception& e) {
          result.Cause = e.what();
        }
      }
      result.Done = true;
      {
        std::lock_guard lock(FLock);
        FResults[i] = std::move(result);
      }
      FDone.notify_all();
    }
  }

  const std::vector<std::string>& FUrls;
  const TFetchFn& FFetch;
  std::vector<TResult> FResults;
  std::mutex FLock;
  std::condition_variable FDone;
  std::size_t FNext = 0;
  std::vector<std::thread> FWorkers;
};

// Where the sections of the headers asked for lie in a list file, in the order they come: from the
// header line to the next section header ("[...]") of any name.
struct TSection {
  std::u16string_view Header;
  int Begin, End;
};

std::vector<TSection> SectionsOf(TStringList& list,
                                 const std::vector<std::u16string_view>& headers) {
  std::vector<TSection> sections;
  bool open = false;
  for (int i = 0; i < list.Count(); ++i) {
    const std::u16string_view line = list.StringView(i);
    if (line.empty() || line.front() != u'[' || line.back() != u']') continue;
    if (open) sections.back().End = i;
    open = std::find(headers.begin(), headers.end(), line) != headers.end();
    if (open)
      sections.push_back({*std::find(headers.begin(), headers.end(), line), i, list.Count()});
  }
  return sections;
}

// The k-th section under header in sections, or null.
const TSection* NthSection(const std::vector<TSection>& sections, std::u16string_view header,
                           int k) {
  for (const TSection& section : sections)
    if (section.Header == header && k-- == 0) return &section;
  return nullptr;
}

void CopyLines(TStringList& from, int begin, int end, TStringList& to) {
  for (int i = begin; i < end; ++i) to.Add(from.StringView(i));
}

// A text with "%n entries" in it, translated for n. English, the texts' own language, has no
// catalogue to give its singular; it is written here.
QString WithEntries(QString translated, int n) {
  if (n == 1) translated.replace(QStringLiteral("1 entries"), QStringLiteral("1 entry"));
  return translated;
}

void Print(std::FILE* to, const QString& line) {
  std::fputs((line + u'\n').toUtf8().constData(), to);
}

// A source whose answer gave no entries: its page may have changed under its rule.
void WarnNoEntries(std::FILE* err, const std::string& name) {
  Print(err, QCoreApplication::translate("CommandLine",
                                         "%1: no entries in the answer; the page may have changed")
                 .arg(Shown(name)));
}

// Whether something listens on the Unix socket at path (abstract when abstract).
bool Answers(const std::string& path, bool abstract) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() + 2 > sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path + (abstract ? 1 : 0), path.data(), path.size());
  socklen_t len =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (abstract ? 1 : 0));
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0;
  close(fd);
  return ok;
}

}  // namespace

void PrintError(std::FILE* err, const std::string& message) {
  Print(err, ErrorBoxText(TranslatedMessage(QString::fromStdString(message))));
}

TCommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QCoreApplication::translate(
          "CommandLine",
          "Builds the club member list brevak.ini from clubs' and services' member lists.\n"
          "Without options it opens the window; --import runs imports without one.\n"
          "Sources, in the window's order: %1, then the clubs that sources.ini describes in "
          "[Source NAME] sections (see --list-sources); \"all\" names every one.")
          .arg(SourceNames()));
  QCommandLineOption help(
      {"h", "help"}, QCoreApplication::translate("CommandLine", "Prints this help and exits."));
  QCommandLineOption version({"v", "version"}, QCoreApplication::translate(
                                                   "CommandLine", "Prints the version and exits."));
  // The value's name stays as typed: SOURCE is what the sources.ini keys are called everywhere.
  QCommandLineOption import(
      "import",
      QCoreApplication::translate(
          "CommandLine",
          "Imports the named sources without a window and replaces the list file once at the end "
          "with their sections in the given order. The fetches run at the same time. A source "
          "that fails keeps its section of the previous list file, and the exit status is 1. "
          "Names are the sources.ini keys and section names, without regard to case and spaces "
          "(5ocean), or \"all\"."),
      "SOURCE[,SOURCE...]");
  QCommandLineOption quiet({"q", "quiet"},
                           QCoreApplication::translate(
                               "CommandLine", "With --import: prints errors and warnings only."));
  QCommandLineOption maxTime(
      "max-time",
      QCoreApplication::translate(
          "CommandLine",
          "With --import or --check-source: each fetch ends after SECONDS in all, from the name "
          "lookup to the last byte (default 600)."),
      "SECONDS");
  QCommandLineOption listSources(
      "list-sources",
      QCoreApplication::translate("CommandLine",
                                  "Lists every source in the window's order: its rule, where it "
                                  "is described and its URL."));
  QCommandLineOption checkSource(
      "check-source",
      QCoreApplication::translate(
          "CommandLine",
          "Fetches one source and prints what its import would append (the first 20 entries and "
          "the count), without touching the list file: to try a club's description."),
      "SOURCE");
  parser.addOption(help);
  parser.addOption(version);
  parser.addOption(import);
  parser.addOption(quiet);
  parser.addOption(maxTime);
  parser.addOption(listSources);
  parser.addOption(checkSource);

  TCommandLine result;
  const QString program = QCoreApplication::applicationName();
  auto usageError = [&](const QString& why) {
    result.Action = TStartAction::Exit;
    result.ToStandardError = true;
    result.ExitStatus = kExitUsage;
    result.Sources.clear();
    result.Text = UsageText(why);
    return result;
  };
  if (!parser.parse(arguments)) return usageError(parser.errorText());
  if (!parser.positionalArguments().isEmpty())
    return usageError(QCoreApplication::translate("CommandLine", "unexpected argument \"%1\"")
                          .arg(parser.positionalArguments().first()));
  if (parser.isSet(help)) {
    result.Action = TStartAction::Exit;
    result.Text = parser.helpText().toStdString();
    return result;
  }
  if (parser.isSet(version)) {
    result.Action = TStartAction::Exit;
    result.Text = (program + " " + QCoreApplication::applicationVersion()).toStdString() + "\n" +
                  kCopyright + "\n" +
                  QCoreApplication::translate(
                      "CommandLine",
                      "License MIT: <https://opensource.org/licenses/MIT>.\n"
                      "This is free software: you are free to change and redistribute it.\n"
                      "There is NO WARRANTY, to the extent permitted by law.\n")
                      .toStdString();
    return result;
  }
  if (int(parser.isSet(import)) + int(parser.isSet(listSources)) + int(parser.isSet(checkSource)) >
      1)
    return usageError(QCoreApplication::translate(
        "CommandLine", "--import, --list-sources and --check-source go one at a time"));
  if (parser.isSet(import)) {
    for (const QString& value : parser.values(import))
      for (const QString& piece : value.split(','))
        result.Sources.push_back(piece.trimmed().toStdString());
    result.Action = TStartAction::Import;
  } else if (parser.isSet(checkSource)) {
    const QStringList values = parser.values(checkSource);
    // One source: "all" would check only the first of them.
    if (values.size() > 1 || values.first().trimmed().compare(u"all", Qt::CaseInsensitive) == 0)
      return usageError(
          QCoreApplication::translate("CommandLine", "--check-source takes one source"));
    result.Sources.push_back(values.first().trimmed().toStdString());
    result.Action = TStartAction::CheckSource;
  } else if (parser.isSet(listSources)) {
    result.Action = TStartAction::ListSources;
  }
  result.Quiet = parser.isSet(quiet);
  if (parser.isSet(maxTime)) {
    if (result.Action != TStartAction::Import && result.Action != TStartAction::CheckSource)
      return usageError(QCoreApplication::translate(
          "CommandLine", "--max-time is for --import and --check-source"));
    // In ms, as the network layer counts; at most what an int holds.
    bool number = false;
    const double seconds = parser.value(maxTime).toDouble(&number);
    if (!number || !(seconds >= 0.001 && seconds <= 2000000))
      return usageError(
          QCoreApplication::translate(
              "CommandLine",
              "--max-time wants a number of seconds from 0.001 to 2000000, not \"%1\"")
              .arg(parser.value(maxTime)));
    result.MaxFetchTime = static_cast<int>(std::lround(seconds * 1000));
  }
  return result;
}

std::unique_ptr<TSourceList> ReadSourceList(const TImportFiles& files, std::FILE* err) {
  std::unique_ptr<TSourceList> list;
  try {
    list = std::make_unique<TSourceList>(files);
  } catch (const std::exception& e) {
    PrintError(err, e.what());
    return nullptr;
  }
  for (const std::string& problem : list->Errors()) PrintError(err, problem);
  return list;
}

bool ResolveSources(const std::vector<std::string>& names, const TSourceList& list,
                    std::vector<const TSource*>& sources, std::string& usage) {
  auto refuse = [&](const QString& why) {
    usage = UsageText(why);
    sources.clear();
    return false;
  };
  sources.clear();
  for (const std::string& name : names) {
    if (SameProfileName(name, "all")) {
      if (!list.FaultyNames().empty())
        return refuse(QCoreApplication::translate(
                          "CommandLine",
                          "\"all\" takes in source \"%1\", whose section in sources.ini was left "
                          "out for the error above")
                          .arg(QString::fromStdString(list.FaultyNames().front())));
      for (const TSource& source : list.Sources()) sources.push_back(&source);
      continue;
    }
    // A source whose description was left out would be imported by its built-in rule, or not at
    // all, and a run for all would drop its section from the list file: neither is what the user
    // asked for, so such a name counts before the source it would leave in its place, and nothing
    // runs until the section is mended.
    const std::string* faulty = nullptr;
    const TSource* found = nullptr;
    for (TNameMatch match : {TNameMatch::Exact, TNameMatch::Squeezed}) {
      if (name.empty()) break;
      for (const std::string& section : list.FaultyNames())
        if (!faulty && NameMatches(name, section, match)) faulty = &section;
      if (faulty) break;
      for (const TSource& source : list.Sources())
        if (!found && NameMatches(name, source.Name, match)) found = &source;
      if (found) break;
    }
    if (faulty)
      return refuse(QCoreApplication::translate(
                        "CommandLine",
                        "the section of source \"%1\" in sources.ini was left out for the error "
                        "above")
                        .arg(QString::fromStdString(*faulty)));
    if (found) {
      sources.push_back(found);
      continue;
    }
    const QString typed = QString::fromStdString(name);
    QString why = QCoreApplication::translate("CommandLine", "unknown source \"%1\"").arg(typed);
    if (const TSource* nearest = NearestSource(name, list))
      why =
          QCoreApplication::translate("CommandLine", "unknown source \"%1\" (did you mean \"%2\"?)")
              .arg(typed, QString::fromStdString(nearest->Name));
    return refuse(why);
  }
  return true;
}

std::string ListFileInUse(const TListFileLock& lock, const std::string& listFile) {
  if (lock.HeldElsewhere()) {
    const QString shown = QString::fromStdString(ShownText(listFile));
    if (lock.Owner() <= 0)
      return QCoreApplication::translate("CommandLine", "Brevak is already running and is using %1")
          .arg(shown)
          .toStdString();
    return QCoreApplication::translate("CommandLine",
                                       "Brevak is already running (process %1) and is using %2")
        .arg(lock.Owner())
        .arg(shown)
        .toStdString();
  }
  if (!lock.Refusal().empty())
    return QCoreApplication::translate("CommandLine", "Cannot use the lock file %1: %2")
        .arg(QString::fromStdString(ShownText(lock.Path())),
             TranslatedMessage(QString::fromStdString(lock.Refusal())))
        .toStdString();
  return {};
}

std::string ProgressLine(const std::string& name, int v) {
  constexpr int kWidth = 30;
  const int percent = v & 0xFFFF;
  const int filled = std::min(percent, 100) * kWidth / 100;
  return name + " [" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "] " +
         std::to_string(percent) + "%";
}

int RunImports(const std::vector<const TSource*>& sources, const TSourceList& sourceList,
               const TImportOutput& output, const TFetchFn& fetch) {
  const std::string& listFile = sourceList.Files().ListFile;
  TStringList previous;
  try {
    LoadListFile(listFile, previous);
  } catch (const std::exception& e) {
    PrintError(output.Err, e.what());
    return kExitFailed;
  }
  std::vector<std::u16string_view> headers;
  for (const TSource* source : sources) headers.push_back(TSourceList::Header(*source));
  const std::vector<TSection> sections = SectionsOf(previous, headers);

  // A source whose sources.ini entry is refused has no URL; its import then says why.
  std::vector<std::string> urls;
  for (const TSource* source : sources) {
    try {
      urls.push_back(sourceList.Url(*source));
    } catch (const std::exception&) {
      urls.emplace_back();
    }
  }

  TStringList list;
  bool keptAny = false;
  bool importedAny = false;
  int status = kExitOk;
  {
    TParallelFetches fetches(urls, fetch);
    // How many sections of each header the run has met: a source named twice keeps the old
    // file's first section for its first import and the second for its second.
    std::map<std::u16string_view, int> seen;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      const TSource& source = *sources[i];
      const std::string& name = source.Name;
      TParallelFetches::TResult fetched = fetches.Take(i);
      // The document fetched for this URL; sources.ini changed in between gives another one.
      auto take = [&](const std::string& url, TMemoryStream& document, std::string& cause) {
        if (url != urls[i]) return fetch(url, document, cause);
        document = std::move(fetched.Document);
        cause = fetched.Cause;
        return fetched.Ok;
      };
      const int before = list.Count();
      std::string error;
      {
        TConsoleHost host(ShownText(name), output.Err, output.Progress);
        try {
          sourceList.ImportIntoList(source, host, take, list);
        } catch (const std::exception& e) {
          error = e.what();
        }
      }
      const int nth = seen[headers[i]]++;
      if (error.empty()) {
        importedAny = true;
        const int entries = list.Count() - before - 1;
        if (entries == 0)
          WarnNoEntries(output.Err, name);
        else if (output.Summary)
          Print(output.Out, WithEntries(QCoreApplication::translate("CommandLine", "%1: %n entries",
                                                                    nullptr, entries),
                                        entries)
                                .arg(Shown(name)));
        continue;
      }
      status = kExitFailed;
      PrintError(output.Err, error);
      if (list.Count() != before) {
        // The run broke off halfway through the section: nothing of this run is saved.
        Print(output.Err,
              QCoreApplication::translate("CommandLine",
                                          "Nothing was saved; the list file %1 was left as it was.")
                  .arg(QString::fromStdString(ShownText(listFile))));
        return kExitFailed;
      }
      if (const TSection* kept = NthSection(sections, headers[i], nth)) {
        CopyLines(previous, kept->Begin, kept->End, list);
        keptAny = true;
        const int entries = kept->End - kept->Begin - 1;
        Print(output.Err, WithEntries(QCoreApplication::translate("CommandLine",
                                                                  "%1: kept its section of the "
                                                                  "previous list file (%n entries)",
                                                                  nullptr, entries),
                                      entries)
                              .arg(Shown(name)));
      } else {
        Print(output.Err,
              QCoreApplication::translate("CommandLine",
                                          "%1: the previous list file has no section of it to keep")
                  .arg(Shown(name)));
      }
    }
  }

  if (!importedAny) {
    // What a save would write holds nothing new, and would lose any section of another source.
    Print(output.Err,
          QCoreApplication::translate("CommandLine",
                                      "Nothing was imported; the list file %1 was left as it was.")
              .arg(QString::fromStdString(ShownText(listFile))));
    return kExitFailed;
  }
  try {
    // Text kept from a file in UTF-8 or UTF-16 stays in that encoding rather than pass through
    // the code page, which may not hold it.
    const TEncoding encoding = previous.Encoding();
    if (keptAny && encoding != TEncoding::Ansi && encoding != TEncoding::None) {
      TStringList encoded;
      encoded.Clear(encoding);
      CopyLines(list, 0, list.Count(), encoded);
      SaveListFile(listFile, encoded);
    } else {
      SaveListFile(listFile, list);
    }
  } catch (const std::exception& e) {
    PrintError(output.Err, e.what());
    return kExitFailed;
  }
  if (output.Summary)
    Print(output.Out, QCoreApplication::translate("CommandLine", "List file: %1")
                          .arg(QString::fromStdString(ShownText(listFile))));
  return status;
}

int CheckSource(const TSource& source, const TSourceList& sourceList, const TImportOutput& output,
                const TFetchFn& fetch) {
  TStringList list;
  std::string error;
  {
    TConsoleHost host(ShownText(source.Name), output.Err, output.Progress);
    try {
      sourceList.ImportIntoList(source, host, fetch, list);
    } catch (const std::exception& e) {
      error = e.what();
    }
  }
  if (!error.empty()) {
    PrintError(output.Err, error);
    return kExitFailed;
  }
  // The section begins with its header: what follows are the entries.
  const int entries = list.Count() - 1;
  if (entries <= 0) {
    WarnNoEntries(output.Err, source.Name);
    return kExitFailed;
  }
  for (int i = 0; i <= std::min(entries, kCheckShownEntries); ++i)
    Print(output.Out,
          Shown(QString::fromStdU16String(std::u16string(list.StringView(i))).toStdString()));
  if (entries > kCheckShownEntries)
    Print(output.Out,
          WithEntries(QCoreApplication::translate("CommandLine", "... and %1 more (%n entries)",
                                                  nullptr, entries),
                      entries)
              .arg(entries - kCheckShownEntries));
  else
    Print(output.Out,
          WithEntries(QCoreApplication::translate("CommandLine", "%n entries", nullptr, entries),
                      entries));
  return kExitOk;
}

void PrintSourceList(const TSourceList& list, std::FILE* out) {
  const QString builtIn = QCoreApplication::translate("CommandLine", "built in");
  std::vector<QStringList> rows;
  rows.push_back({QCoreApplication::translate("CommandLine", "Source"),
                  QCoreApplication::translate("CommandLine", "Rule"),
                  QCoreApplication::translate("CommandLine", "Described in"),
                  QCoreApplication::translate("CommandLine", "URL")});
  for (const TSource& source : list.Sources()) {
    QString url;
    try {
      url = Shown(list.Url(source));
    } catch (const std::exception& e) {
      // A [Hosts] value that is refused: its row says why, as the source's import would.
      url = TranslatedMessage(QString::fromStdString(e.what()));
    }
    rows.push_back({Shown(source.Name),
                    source.User ? QString::fromStdString(TSourceList::RuleName(source)) : builtIn,
                    source.User ? Shown(TSourceList::Origin(source)) : builtIn, url});
  }
  // Every column but the last as wide as its widest cell, two spaces between.
  const int columns = static_cast<int>(rows.front().size());
  std::vector<qsizetype> widths(static_cast<std::size_t>(columns), 0);
  for (const QStringList& row : rows)
    for (int c = 0; c < columns; ++c)
      widths[static_cast<std::size_t>(c)] =
          std::max(widths[static_cast<std::size_t>(c)], row[c].size());
  for (const QStringList& row : rows) {
    QString line;
    for (int c = 0; c + 1 < columns; ++c)
      line += row[c].leftJustified(widths[static_cast<std::size_t>(c)]) + QStringLiteral("  ");
    Print(out, line + row.back());
  }
}

std::string MissingDisplay(const TEnvLookup& env) {
  if (!env("QT_QPA_PLATFORM").empty()) return {};
  std::string wayland = env("WAYLAND_DISPLAY");
  if (!wayland.empty()) {
    std::string path = wayland.front() == '/' ? wayland : env("XDG_RUNTIME_DIR") + "/" + wayland;
    if (Answers(path, false)) return {};
  }
  std::string x = env("DISPLAY");
  if (!x.empty()) {
    // A local display, ":N" or "unix:N" with an optional ".screen", has its server's socket in
    // /tmp/.X11-unix (or the abstract name of that path); a remote one is left to Qt.
    std::string rest = x.rfind("unix:", 0) == 0 ? x.substr(4) : x;
    if (rest.empty() || rest.front() != ':') return {};
    std::string number = rest.substr(1, rest.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return {};
    std::string socket = "/tmp/.X11-unix/X" + number;
    if (Answers(socket, true) || Answers(socket, false)) return {};
    return QCoreApplication::translate("CommandLine", "no X server answers on display %1")
        .arg(QString::fromStdString(ShownText(x)))
        .toStdString();
  }
  if (!wayland.empty())
    return QCoreApplication::translate("CommandLine", "no Wayland compositor answers on %1")
        .arg(QString::fromStdString(ShownText(wayland)))
        .toStdString();
  return QCoreApplication::translate("CommandLine",
                                     "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)")
      .toStdString();
}

}  // namespace brevak
