// The placement store: remembers where the main window was and puts it there again. It reads the
// window's position from a profile file when the window is shown and writes it when the window is
// closed, hooking the window's show, close-query and destroy events.
// Tested by tests/app/placement_qtest.cpp.
#pragma once

#include <QObject>

#include <memory>
#include <string>

#include "app/form.h"
#include "app/windowlayer.h"

namespace brevak {

enum TPlacementOption : unsigned { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
using TPlacementOptions = unsigned;

class TFormPlacement : public QObject {
  Q_OBJECT
public:
  // Serves owner and hooks its events at once, keeping the owner's own handlers, which still run.
  // layer stands in for the windowing system; null means the real one.
  explicit TFormPlacement(TForm* owner, TWindowLayer* layer = nullptr);
  // Gives the owner its own handlers back, unless the owner is already being destroyed.
  ~TFormPlacement() override;

  bool Active = true;
  // The profile file. Setting it reads and writes nothing.
  std::string IniFileName;
  // Empty means the owner's class name, without its namespace.
  std::string IniSection;
  TPlacementOptions Options = fpState | fpPosition;
  int Version = 0;

  // Reads the stored position and applies it to the owner. Raises Exception when the file
  // cannot be used.
  void RestoreFormPlacement();
  // Writes the owner's placement, every key in one replace of the file; never before a restore
  // has run (while Active). Where the windowing system does not tell where the window is, the
  // position keys already in the file stay as they are. Raises Exception "Unable to write
  // to <path>" when the file cannot be written.
  void SaveFormPlacement();

  // One integer key of the section; without an open profile file, one is opened for the call.
  int ReadInteger(const std::string& ident, int defaultValue);
  void WriteInteger(const std::string& ident, int value);

  std::string Section() const;

  bool FRestored = false;
  bool FSaved = false;
  bool FDestroying = false;

private:
  class TIniFile;
  class TOpenIni;

  void FormShow();
  void FormCloseQuery(bool& canClose);
  void FormDestroy();

  std::string ReadString(const std::string& ident, const std::string& defaultValue);
  void WriteString(const std::string& ident, const std::string& value);
  // The position text of key, from the key for the present screen size if it holds one.
  std::string ReadPosText(const std::string& key);
  void WritePosText(const std::string& key, const std::string& value);
  std::string ScreenSizeSuffix();

  void ReadPlacement();
  void WritePlacement();
  void AdjustMaxPosition();
  TWindowPlacement CurrentPlacement();

  TForm* FOwner;
  // Taken when the store is created: while the window is destroyed it no longer tells its class.
  std::string FOwnerClassName;
  TWindowLayer& FLayer;
  bool FOwnerGone = false;
  std::unique_ptr<TIniFile> FIniFile;  // only during one save or one restore
  TForm::TNotifyEvent FSaveFormShow;
  TForm::TCloseQueryEvent FSaveFormCloseQuery;
  TForm::TNotifyEvent FSaveFormDestroy;
};

// The store with lists of stored properties and values; this program stores none, so it behaves
// as TFormPlacement.
class TFormStorage : public TFormPlacement {
  Q_OBJECT
public:
  using TFormPlacement::TFormPlacement;
};

}  // namespace brevak
