// The list file, on the line lists and the whole-file replacement of listfile/fileio.h.
#include "listfile/listfile.h"

#include <unistd.h>

#include "base/paths.h"
#include "listfile/fileio.h"

namespace brevak {

std::string ListFileName() { return ListFilePath(); }

void DeleteListFile() {
  std::string path = ListFileName();
  // The folder's permissions, not the file's, decide whether unlink works; a file marked
  // read-only is meant to stay, so its bits are asked first.
  if (FileExists(path) && MayWriteFile(path)) unlink(path.c_str());
}

void LoadListFile(TStringList& list) {
  std::string path = ListFileName();
  if (FileExists(path)) list.LoadFromFile(path, TInvalidUTF8::iuRefuse);
}

void SaveListFile(const TStringList& list) {
  std::string path = ListFileName();
  TFileWriter file;
  int err = file.CreateReplacement(path);
  if (err == 0) err = list.WriteTo([&file](std::string_view piece) { return file.Write(piece); });
  if (err == 0) err = file.Finish();
  if (err != 0) throw EFCreateError(path, err);
}

}  // namespace brevak
