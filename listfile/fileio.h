// Whole-file reads and writes with the system's reason for a failure, shared by the line lists,
// the list file and the profile files. Tested by tests/listfile/stringlist_test.cpp,
// listfile_test.cpp and profile_test.cpp.
#pragma once

#include <string>
#include <string_view>

#include "text/exception.h"

namespace brevak {

// "Cannot open file "%s". %s"
class EFOpenError : public Exception {
public:
  EFOpenError(const std::string& path, int err);
};

// "Cannot create file "%s". %s"
class EFCreateError : public Exception {
public:
  EFCreateError(const std::string& path, int err);
};

// "Cannot write file "%s". %s": the file was created but the bytes did not all reach it.
class EWriteError : public Exception {
public:
  EWriteError(const std::string& path, int err);
};

// The path made absolute against the working directory, with "." and ".." worked out.
std::string FullPath(const std::string& path);

// The system's text for an errno value, such as "No such file or directory".
std::string SystemErrorText(int err);

// A regular file (or a link to one) exists at path; a directory does not count.
bool FileExists(const std::string& path);

// Whether this process may write the existing file at path. The permission bits count also for
// the superuser, whom the kernel lets write anything: a file that nobody may write is read-only.
bool MayWriteFile(const std::string& path);

// Reads the whole file into bytes. Returns 0, or the errno of the failure (bytes unchanged).
int ReadWholeFile(const std::string& path, std::string& bytes);

// Creates the file, or empties it, and writes bytes. Returns 0, or the errno of the failure; a
// failure to open sets *opened to false, a later one to true.
int WriteWholeFile(const std::string& path, std::string_view bytes, bool* opened);

// Replaces the file at path by one holding bytes, so that at every moment the path holds either
// the old file or the complete new one: the bytes go to a temporary file in the same folder, are
// flushed to the disk, and the temporary file is renamed over path. A file already at path keeps
// its permission bits and owner. A file that its permission bits do not let this process write
// is refused with EACCES and left as it is, also for the superuser, who would otherwise ignore
// them. Returns 0, or the errno of the failure (the old file unchanged).
int ReplaceWholeFile(const std::string& path, std::string_view bytes);

}  // namespace brevak
