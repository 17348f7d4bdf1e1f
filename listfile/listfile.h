// The list file "brevak.ini" beside the executable: deleted at start-up, loaded at the start of
// every import run and saved at its end. Tested by tests/listfile/listfile_test.cpp.
#pragma once

#include <string>

#include "listfile/stringlist.h"

namespace brevak {

// The list file's full path (ListFilePath), worked out afresh on every call.
std::string ListFileName();

// Deletes the list file if there is one. A failure is ignored: the file then stays and grows from
// there on. A read-only file is not deleted.
void DeleteListFile();

// Fills list (empty, at the start of a run) with the list file's lines if the file exists;
// otherwise the list stays empty. Raises EFOpenError when the file cannot be read, and
// EInvalidUTF8 when it begins with the UTF-8 signature but holds invalid UTF-8: loading it as an
// empty list would let the run's save wipe every section in it.
void LoadListFile(TStringList& list);

// Writes list to the list file, creating it when there is none. The file is replaced whole: a
// failure or a crash leaves the old file as it was, never half a file. Raises EFCreateError
// ("Cannot create file "%s". %s") when the file cannot be written, a read-only file included.
void SaveListFile(const TStringList& list);

}  // namespace brevak
