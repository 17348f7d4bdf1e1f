// The placement store: reading and writing the window's position. Tested by
// tests/app/placement_qtest.cpp.
#include "app/placement.h"

#include <cstdio>
#include <string_view>

#include "app/errorbox.h"
#include "app/placementrules.h"
#include "base/exception.h"
#include "base/showntext.h"
#include "listfile/fileio.h"
#include "listfile/profile.h"

namespace brevak {

// The profile file of one save or restore: the file's path and the store's section. The keys a
// save writes are gathered and written together by Flush, so that a close replaces and flushes
// the file once rather than once per key; the file ends with the same bytes.
class TFormPlacement::TIniFile {
public:
  TIniFile(std::string path, std::string section)
      : FPath(std::move(path)), FSection(std::move(section)) {}

  std::string ReadString(const std::string& ident, const std::string& def) const {
    return ReadProfileString(FPath, FSection, ident, def);
  }
  void WriteString(const std::string& ident, const std::string& value) {
    FPending.emplace_back(ident, value);
  }
  // Writes the gathered keys. Raises Exception "Unable to write to <path>" when the file
  // cannot be written; nothing of the save is then written.
  void Flush() {
    if (FPending.empty()) return;
    TProfileEntries entries = std::move(FPending);
    FPending.clear();
    if (!WriteProfileStrings(FPath, FSection, entries))
      throw Exception("Unable to write to " + ShownText(FPath));
  }

private:
  std::string FPath;
  std::string FSection;
  TProfileEntries FPending;
};

// Opens the store's profile file for one save or restore and closes it on every way out.
class TFormPlacement::TOpenIni {
public:
  explicit TOpenIni(TFormPlacement& store) : FStore(store) {
    FStore.FIniFile = std::make_unique<TIniFile>(FStore.IniFileName, FStore.Section());
  }
  ~TOpenIni() { FStore.FIniFile.reset(); }
  TOpenIni(const TOpenIni&) = delete;
  TOpenIni& operator=(const TOpenIni&) = delete;

private:
  TFormPlacement& FStore;
};

namespace {

const char* const kMinMaxPos = "MinMaxPos";
const char* const kNormPos = "NormPos";

std::string FourInts(int a, int b, int c, int d) {
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", a, b, c, d);
  return text;
}

// A class's name without its namespace ("TfrmMain" for brevak::TfrmMain): the section name the
// stored files have always used.
std::string UnqualifiedName(std::string_view className) {
  const std::size_t colons = className.rfind("::");
  return std::string(colons == std::string_view::npos ? className : className.substr(colons + 2));
}

}  // namespace

TFormPlacement::TFormPlacement(TForm* owner, TWindowLayer* layer)
    : QObject(owner),
      FOwner(owner),
      FOwnerClassName(UnqualifiedName(owner->metaObject()->className())),
      FLayer(layer ? *layer : QtWindowLayer()) {
  FSaveFormShow = std::move(owner->OnShow);
  FSaveFormCloseQuery = std::move(owner->OnCloseQuery);
  FSaveFormDestroy = std::move(owner->OnDestroy);
  owner->OnShow = [this] { FormShow(); };
  owner->OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  owner->OnDestroy = [this] { FormDestroy(); };
}

TFormPlacement::~TFormPlacement() {
  if (FOwnerGone) return;
  FOwner->OnShow = std::move(FSaveFormShow);
  FOwner->OnCloseQuery = std::move(FSaveFormCloseQuery);
  FOwner->OnDestroy = std::move(FSaveFormDestroy);
}

std::string TFormPlacement::Section() const {
  return IniSection.empty() ? FOwnerClassName : IniSection;
}

void TFormPlacement::FormShow() {
  if (Active) {
    try {
      RestoreFormPlacement();
    } catch (const std::exception& error) {
      ShowException(error);
    }
  }
  if (FSaveFormShow) FSaveFormShow();
}

void TFormPlacement::FormCloseQuery(bool& canClose) {
  if (FSaveFormCloseQuery) FSaveFormCloseQuery(canClose);
  if (!canClose || !Active || !FLayer.HandleAllocated(FOwner)) return;
  try {
    SaveFormPlacement();
  } catch (const std::exception& error) {
    ShowException(error);  // the window closes all the same
  }
}

void TFormPlacement::FormDestroy() {
  if (Active && !FSaved) {
    FDestroying = true;
    try {
      SaveFormPlacement();
    } catch (const std::exception& error) {
      ShowException(error);
    }
    FDestroying = false;
  }
  // The owner is going away: its handlers need not and cannot be given back later.
  FOwnerGone = true;
  TForm::TNotifyEvent previous = std::move(FSaveFormDestroy);
  if (previous) previous();
}

std::string TFormPlacement::ReadString(const std::string& ident, const std::string& defaultValue) {
  if (FIniFile) return FIniFile->ReadString(ident, defaultValue);
  return TIniFile(IniFileName, Section()).ReadString(ident, defaultValue);
}

void TFormPlacement::WriteString(const std::string& ident, const std::string& value) {
  if (FIniFile) {
    FIniFile->WriteString(ident, value);
    return;
  }
  TIniFile file(IniFileName, Section());
  file.WriteString(ident, value);
  file.Flush();
}

int TFormPlacement::ReadInteger(const std::string& ident, int defaultValue) {
  return StrToIntDef(ReadString(ident, std::string()), defaultValue);
}

void TFormPlacement::WriteInteger(const std::string& ident, int value) {
  WriteString(ident, IntToStr(value));
}

std::string TFormPlacement::ScreenSizeSuffix() {
  char text[32];
  std::snprintf(text, sizeof text, "(%dx%d)", FLayer.GetSystemMetrics(SM_CXSCREEN),
                FLayer.GetSystemMetrics(SM_CYSCREEN));
  return text;
}

std::string TFormPlacement::ReadPosText(const std::string& key) {
  std::string text = ReadString(key + ScreenSizeSuffix(), std::string());
  if (text.empty()) text = ReadString(key, std::string());
  return text;
}

void TFormPlacement::WritePosText(const std::string& key, const std::string& value) {
  WriteString(key + ScreenSizeSuffix(), value);
  WriteString(key, value);
}

TWindowPlacement TFormPlacement::CurrentPlacement() {
  TWindowPlacement placement = FLayer.GetWindowPlacement(FOwner);
  if (!FLayer.IsWindowVisible(FOwner)) placement.showCmd = SW_HIDE;
  return placement;
}

void TFormPlacement::RestoreFormPlacement() {
  FSaved = false;
  RefuseUnusableFile(IniFileName);
  {
    TOpenIni open(*this);
    if (ReadInteger("FormVersion", 0) >= Version && (Options & (fpState | fpPosition)) != 0)
      ReadPlacement();
    FRestored = true;
  }
  AdjustMaxPosition();
}

void TFormPlacement::ReadPlacement() {
  TWindowPlacement placement = CurrentPlacement();
  placement.flags = ReadInteger("Flags", placement.flags);
  bool found = false;
  const std::string minMax = ReadPosText(kMinMaxPos);
  if (!minMax.empty()) {
    found = true;
    placement.ptMinPosition = {StrToIntDef(ExtractWord(1, minMax), 0),
                               StrToIntDef(ExtractWord(2, minMax), 0)};
    placement.ptMaxPosition = {StrToIntDef(ExtractWord(3, minMax), 0),
                               StrToIntDef(ExtractWord(4, minMax), 0)};
  }
  const QRect bounds = FLayer.WindowBounds(FOwner);
  const std::string norm = ReadPosText(kNormPos);
  if (!norm.empty()) {
    found = true;
    TRect& r = placement.rcNormalPosition;
    r.Left = StrToIntDef(ExtractWord(1, norm), bounds.left());
    r.Top = StrToIntDef(ExtractWord(2, norm), bounds.top());
    r.Right = StrToIntDef(ExtractWord(3, norm), bounds.left() + bounds.width());
    r.Bottom = StrToIntDef(ExtractWord(4, norm), bounds.top() + bounds.height());
  }
  const int ppi = FLayer.PixelsPerInch();
  if (ReadInteger("PixelsPerInch", ppi) != ppi) found = false;
  if (found) {
    // A window of fixed size takes only the stored top-left corner and keeps its own size.
    if (FOwner->BorderStyle != bsSizeable && FOwner->BorderStyle != bsSizeToolWin) {
      TRect& r = placement.rcNormalPosition;
      r = {r.Left, r.Top, r.Left + bounds.width(), r.Top + bounds.height()};
    }
    if (placement.rcNormalPosition.Right > placement.rcNormalPosition.Left)
      FLayer.SetWindowPlacement(FOwner, placement);
  }
  FOwner->update();
}

void TFormPlacement::AdjustMaxPosition() {
  TWindowPlacement placement = CurrentPlacement();
  switch (FOwner->BorderStyle) {
    case bsSingle:
    case bsToolWindow:
      placement.ptMaxPosition = {-FLayer.GetSystemMetrics(SM_CXBORDER),
                                 -FLayer.GetSystemMetrics(SM_CYBORDER)};
      break;
    case bsSizeable:
    case bsSizeToolWin:
      placement.ptMaxPosition = {-FLayer.GetSystemMetrics(SM_CXFRAME),
                                 -FLayer.GetSystemMetrics(SM_CYFRAME)};
      break;
    case bsDialog:
      placement.ptMaxPosition = {-FLayer.GetSystemMetrics(SM_CXDLGFRAME),
                                 -FLayer.GetSystemMetrics(SM_CYDLGFRAME)};
      break;
    case bsNone:
      placement.ptMaxPosition = {0, 0};
      break;
  }
  FLayer.SetWindowPlacement(FOwner, placement);
}

void TFormPlacement::SaveFormPlacement() {
  if (!FRestored && Active) return;  // a window never restored never overwrites the file
  TOpenIni open(*this);
  WriteInteger("FormVersion", Version);
  if ((Options & (fpState | fpPosition)) != 0) WritePlacement();
  WriteString("Visible", FDestroying ? "1" : "0");
  FIniFile->Flush();
  FSaved = true;
}

void TFormPlacement::WritePlacement() {
  TWindowPlacement placement = FLayer.GetWindowPlacement(FOwner);
  if (FOwner->isWindow() && FLayer.IsIconic(FOwner)) placement.showCmd = SW_SHOWMINIMIZED;
  WriteInteger("Flags", placement.flags);
  WriteInteger("ShowCmd", placement.showCmd);
  WriteInteger("PixelsPerInch", FLayer.PixelsPerInch());
  // Where the window is cannot be known: the positions saved by a desktop that told are kept.
  if (!FLayer.ReportsPositions()) return;
  WritePosText(kMinMaxPos, FourInts(placement.ptMinPosition.x, placement.ptMinPosition.y,
                                    placement.ptMaxPosition.x, placement.ptMaxPosition.y));
  const TRect& r = placement.rcNormalPosition;
  WritePosText(kNormPos, FourInts(r.Left, r.Top, r.Right, r.Bottom));
}

}  // namespace brevak
