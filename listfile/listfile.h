// The list file "brevak.ini": deleted at start-up, loaded at the start of every import run and
// saved at its end. Its path is the caller's: the program decides it at start-up. Tested by
// tests/listfile/listfile_test.cpp.
#pragma once

#include <string>

#include "listfile/stringlist.h"

namespace brevak {

// Removes the temporary files that saves of the list file and of the placement file left behind
// when their process was killed halfway (see RemoveStaleTemporaries in listfile/fileio.h). Called
// at start-up, before the list file is deleted, while this process has saved nothing yet.
void RemoveStaleTemporaries(const std::string& listFile, const std::string& placementFile);

// Deletes the list file at path if there is one. A failure is ignored: the file then stays and
// grows from there on. A read-only file is not deleted, nor is what is no regular file; a link at
// path is removed itself, never the file it leads to.
void DeleteListFile(const std::string& path);

// What every start of the program does before anything is saved, the window and the command line
// alike: RemoveStaleTemporaries, then DeleteListFile.
void ClearFilesAtStart(const std::string& listFile, const std::string& placementFile);

// Fills list (empty, at the start of a run) with the lines of the list file at path if it exists;
// otherwise the list stays empty. Raises EFOpenError when the file cannot be read, the path holds
// no regular file (a folder, a named pipe, a device), or a link on the way or the file is someone
// else's (UnusableFileError), and EInvalidUTF8 when it begins with the UTF-8 signature but holds
// invalid UTF-8: loading it as an empty list would let the run's save wipe every section in it.
void LoadListFile(const std::string& path, TStringList& list);

// Writes list to the list file at path, creating it when there is none. The file is replaced
// whole: a failure or a crash leaves the old file as it was, never half a file, except in a folder
// that refuses new files, where a file that may be written is written in place. Raises
// EFCreateError ("Cannot create file "%s". %s") when the file cannot be written, a read-only file
// and a refused one (TFileWriter::CreateReplacement) included.
void SaveListFile(const std::string& path, const TStringList& list);

}  // namespace brevak
