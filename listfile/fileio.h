// Whole-file reads and writes with the system's reason for a failure, shared by the line lists,
// the list file and the profile files. Tested by tests/listfile/stringlist_test.cpp,
// listfile_test.cpp and profile_test.cpp.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "base/exception.h"

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

// Bytes in one allocation that is not cleared first, as the read fills it anyway.
struct TBytes {
  std::unique_ptr<char[]> Data;
  std::size_t Size = 0;
  std::string_view View() const { return {Data.get(), Size}; }
};

// A file read from its start to its end, block by block.
class TFileReader {
public:
  TFileReader() = default;
  ~TFileReader();
  TFileReader(const TFileReader&) = delete;
  TFileReader& operator=(const TFileReader&) = delete;

  // Returns 0, or the errno of the failure.
  int Open(const std::string& path);
  // The file's size when it was opened; it may grow or shrink while it is read.
  std::size_t SizeHint() const { return FSizeHint; }
  // Reads up to size bytes to buf and sets got; got is 0 at the end of the file. Returns 0, or
  // the errno of the failure.
  int Read(char* buf, std::size_t size, std::size_t& got);

private:
  int FFd = -1;
  std::size_t FSizeHint = 0;
};

// A file written from its start, piece by piece. Finish completes it; a writer destroyed before
// Finish leaves an emptied file (Create) or the old file untouched (CreateReplacement).
class TFileWriter {
public:
  TFileWriter() = default;
  ~TFileWriter();
  TFileWriter(const TFileWriter&) = delete;
  TFileWriter& operator=(const TFileWriter&) = delete;

  // Creates the file, or empties it. Returns 0, or the errno of the failure.
  int Create(const std::string& path);
  // Starts a file that Finish puts in the place of path in one step, so that at every moment the
  // path holds either the old file or the complete new one: the bytes go to a temporary file in
  // the same folder, which Finish flushes to the disk and renames over path. A file already at
  // path keeps its permission bits and owner. A file that its permission bits do not let this
  // process write (MayWriteFile) is refused with EACCES. Returns 0, or the errno of the failure.
  int CreateReplacement(const std::string& path);
  // Returns 0, or the errno of the failure.
  int Write(std::string_view bytes);
  // Returns 0, or the errno of the failure (for a replacement the old file is then unchanged).
  int Finish();

private:
  int FFd = -1;
  bool FReplacement = false;
  std::size_t FWritten = 0;  // bytes written so far
  std::size_t FFlushed = 0;  // bytes whose write to the disk has been started
  std::string FTarget;
  std::string FTemporary;
  bool FTargetExists = false;
  unsigned FTargetMode = 0;
  unsigned FTargetUid = 0;
  unsigned FTargetGid = 0;
};

// Reads the whole file into bytes. Returns 0, or the errno of the failure (bytes unchanged).
int ReadWholeFile(const std::string& path, TBytes& bytes);

// Creates the file, or empties it, and writes bytes. Returns 0, or the errno of the failure; a
// failure to open sets *opened to false, a later one to true.
int WriteWholeFile(const std::string& path, std::string_view bytes, bool* opened);

// Replaces the file at path by one holding bytes, as TFileWriter::CreateReplacement describes.
// Returns 0, or the errno of the failure (the old file unchanged).
int ReplaceWholeFile(const std::string& path, std::string_view bytes);

}  // namespace brevak
