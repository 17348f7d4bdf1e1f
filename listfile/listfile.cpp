// The list file, on the line lists and the whole-file replacement of listfile/fileio.h.
#include "listfile/listfile.h"

#include <unistd.h>

#include "listfile/fileio.h"

namespace brevak {

void RemoveStaleTemporaries(const std::string& listFile, const std::string& placementFile) {
  RemoveStaleTemporaries(listFile, true);
  RemoveStaleTemporaries(placementFile, true);
}

void DeleteListFile(const std::string& path) {
  // The folder's permissions, not the file's, decide whether unlink works; a file marked
  // read-only is meant to stay, so its bits are asked first. What is no regular file is not
  // the program's to delete: the first load names it instead.
  if (FileExists(path) && MayWriteFile(path)) unlink(path.c_str());
}

void ClearFilesAtStart(const std::string& listFile, const std::string& placementFile) {
  RemoveStaleTemporaries(listFile, placementFile);
  DeleteListFile(listFile);
}

void LoadListFile(const std::string& path, TStringList& list) {
  RefuseUnusableFile(path);
  if (FileExists(path)) list.LoadFromFile(path, TInvalidUTF8::Refuse);
}

void SaveListFile(const std::string& path, const TStringList& list) {
  TSaveResult result = SaveFile(path, TSaveMode::Replace,
                                [&list](const TWriteFn& write) { return list.WriteTo(write); });
  if (result.Err != 0) RaiseSaveError(path, result, false);
}

}  // namespace brevak
