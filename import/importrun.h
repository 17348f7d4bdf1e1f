// The frame of one import run, shared by every source: load the list file, fetch the document,
// append the section, walk the lines with the source's rule, save the list file on every way out.
// It knows no source: sources/ binds each of them to it. Tested by tests/import/importrun_test.cpp.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/exception.h"
#include "base/memorystream.h"

namespace brevak {

class TStringList;

// What the run needs of the window: the progress bar and the message pump.
class TImportHost {
public:
  virtual ~TImportHost() = default;
  // The bar's Percent := v (the bar keeps v mod 65536).
  virtual void SetPercent(int v) = 0;
  // Dispatches pending window messages (clicks included) and returns.
  virtual void ProcessMessages() = 0;
  // Called again and again while the fetch waits for the network: a window dispatches its pending
  // messages here so that it repaints and can be moved; false stops the fetch (the user closed
  // the window). A host without messages just lets the fetch go on.
  virtual bool KeepWaiting() { return true; }
};

// Raised by a fetch that KeepWaiting stopped. The run ends as after a failed fetch (the list file
// saved unchanged); there is nothing to tell the user, who asked for it.
class EFetchStopped : public Exception {
public:
  EFetchStopped() : Exception("stopped") {}
};

// The one GET of a run. Called once per run with the full URL; on success returns true with the
// response body in document (positioned at its start); on failure returns false and sets cause to
// a short human-readable reason ("host not found", "connection refused", ...).
using TFetchFn =
    std::function<bool(const std::string& url, TMemoryStream& document, std::string& cause)>;

// The real fetch: a fresh THTTPSend with its default settings and the proxy the environment names
// for url (ProxyForUrl; a proxy value it refuses fails the fetch with its cause), one
// HTTPMethod("GET", url). Only a 2xx answer (or one without a status line) is the document; any
// other status fails the fetch with a cause naming it (see StatusCause), a proxy's 407 with the
// proxy's name (THTTPSend::ProxyAnswered).
bool HTTPFetch(const std::string& url, TMemoryStream& document, std::string& cause);
// The same with keepWaiting run between the slices of every network wait (when it returns false
// the fetch stops and raises EFetchStopped), and a fetch that takes longer than maxTime ms in all
// failing as timed out (0: no limit). Through a proxy, a failure's cause says so.
bool HTTPFetchWaiting(const std::string& url, TMemoryStream& document, std::string& cause,
                      const std::function<bool()>& keepWaiting, int maxTime);
// The real fetch of a run for host: HTTPFetchWaiting with the host's KeepWaiting and the network
// layer's time limit. host must outlive the returned function.
TFetchFn HTTPFetchFor(TImportHost& host);
// The real fetch with no host to keep alive, each fetch failing after maxTime ms in all.
TFetchFn HTTPFetchWithin(int maxTime);

// Why a complete answer with this status is not the document, in the words that follow "Could not
// fetch ...: "; empty for 2xx and for an answer without a status line (code 0). reason and
// location are the server's own text, url the request's, against which a relative location is
// resolved; through follows the status (a proxy's " (through proxy HOST:PORT)"). A redirect (301,
// 302, 303, 307, 308) to an address a source can be set to adds ". The list is now at URL", which
// MovedTo gives back; one elsewhere adds " (the list is now at LOCATION)".
std::string StatusCause(int code, std::string_view reason, std::string_view location,
                        std::string_view url = {}, std::string_view through = {});
// The address a StatusCause says the list is now at, when a source can be set to it; else "".
std::string MovedTo(std::string_view cause);

// A source's per-line extraction step. One object lives for one run, so a rule may carry values
// from line to line of that run and no further. What a rule searches with, it is given when it is
// made.
class TLineRule {
public:
  virtual ~TLineRule() = default;
  // Appends zero or more entries for line to listFile. line holds no U+0000: a document's text
  // ends at its first.
  virtual void Apply(std::u16string_view line, TStringList& listFile) = 0;
  // The same for a line of a document in the ANSI code page, given as its bytes, one character
  // each. By default the line is decoded and handed to Apply. A rule whose entries are pieces of
  // the line may append the bytes themselves instead (TStringList::AddAnsi), with no decode and
  // no encode, and says so with FTakesAnsi; the run then hands it the lines of such a document as
  // bytes. Its entries must be those that Apply appends for the decoded line.
  virtual void ApplyAnsi(std::string_view line, TStringList& listFile);
  bool TakesAnsi() const { return FTakesAnsi; }
  // Called once before the first Apply with the document's line count and byte size. A rule that
  // knows how much it will append may make room for it in listFile; it appends nothing here.
  virtual void Prepare(int lineCount, std::size_t documentBytes, TStringList& listFile) {
    (void)lineCount, (void)documentBytes, (void)listFile;
  }

protected:
  bool FTakesAnsi = false;
};

enum class THeaderPlacement { BeforeBody, AfterBody };
// PerLine: the bar moves and messages are processed after every line of the range;
// OnceAfter: once, after the loop.
enum class TProgressMode { PerLine, OnceAfter };

// What the frame needs to know of one source.
struct TImportSettings {
  std::string Name;       // for messages: "SRR", "5 Ocean", ...
  std::u16string Header;  // the section header line, "[SRR]"
  std::string Url;        // scheme, host, path and query
  std::string ListFile;   // the list file's full path
  THeaderPlacement HeaderPlacement = THeaderPlacement::AfterBody;
  int FirstLine = 0;  // the range is FirstLine to N - 1
  TProgressMode Progress = TProgressMode::PerLine;
};

// One import run with the given settings and rule against the list file settings.ListFile.
// Raises brevak::Exception when the run ends by an error (the list file has then been saved, except
// when it could not be loaded); on a failed fetch the list file is saved unchanged and the
// Exception names the source, the URL and the cause. Not re-entrant: the caller refuses a second
// run while one is in progress, since a run holds the list file from its load to its save.
void RunImportFrame(const TImportSettings& settings, TLineRule& rule, TImportHost& host,
                    const TFetchFn& fetch);

// The middle of a run on a list the caller holds: the fetch, the section and its entries appended
// to listFile, the bar. The list file is neither loaded nor saved. A failed fetch leaves listFile
// as it was and raises the Exception RunImportFrame raises for it.
void ImportIntoList(const TImportSettings& settings, TLineRule& rule, TImportHost& host,
                    const TFetchFn& fetch, TStringList& listFile);

// The bar's value after line i of a range ending at index N - 1 (per-line progress), and after a
// loop over N lines (once-after progress). The divisor is N - 1; where it is 0 (one line) the bar
// is full, and an empty document leaves it at 0.
int PerLinePercent(int i, int n);
int OnceAfterPercent(int n);

}  // namespace brevak
