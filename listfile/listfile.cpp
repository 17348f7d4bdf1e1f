// The list file, on the line lists and the whole-file replacement of listfile/fileio.h.
#include "listfile/listfile.h"

#include <unistd.h>

#include "base/paths.h"
#include "listfile/fileio.h"

namespace brevak {

std::string ListFileName() { return ListFilePath(); }

void RemoveStaleTemporaries() {
  RemoveStaleTemporaries(ListFilePath(), true);
  RemoveStaleTemporaries(PlacementFilePath(), true);
}

void DeleteListFile() {
  std::string path = ListFileName();
  // The folder's permissions, not the file's, decide whether unlink works; a file marked
  // read-only is meant to stay, so its bits are asked first. What is no regular file is not
  // the program's to delete: the first load names it instead.
  if (FileExists(path) && MayWriteFile(path)) unlink(path.c_str());
}

void ClearFilesAtStart() {
  RemoveStaleTemporaries();
  DeleteListFile();
}

void LoadListFile(TStringList& list) {
  std::string path = ListFileName();
  RefuseNonRegularFile(path);
  if (FileExists(path)) list.LoadFromFile(path, TInvalidUTF8::iuRefuse);
}

void SaveListFile(const TStringList& list) {
  std::string path = ListFileName();
  TSaveResult result = SaveFile(path, TSaveMode::smReplace,
                                [&list](const TWriteFn& write) { return list.WriteTo(write); });
  if (result.Err != 0) RaiseSaveError(path, result, false);
}

}  // namespace brevak
