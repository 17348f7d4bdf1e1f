// Whole-file reads and writes with the system's reason for a failure, shared by the line lists,
// the list file and the profile files. Tested by tests/listfile/stringlist_test.cpp,
// listfile_test.cpp and profile_test.cpp.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/exception.h"

namespace brevak {

// "Cannot open file "%s". %s"; err is an errno value or a refusal below zero (FileErrorText).
class EFOpenError : public Exception {
public:
  EFOpenError(const std::string& path, int err);
};

// "Cannot create file "%s". %s". With folderRefused the text names the folder, which would not
// take a new file while the file itself could not be written in its place either.
class EFCreateError : public Exception {
public:
  EFCreateError(const std::string& path, int err, bool folderRefused = false);
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

// Reads and replacements refuse a path that holds no regular file before they could wait on a
// named pipe forever or read a device: a folder with EISDIR, whose system text already says what
// it is, anything else with an error below zero (the negated file-type bits of its mode), which
// FileErrorText describes. Returns that error for a path whose st_mode is mode, or 0 for a
// regular file.
int NotRegularFileError(unsigned mode);

// Reads and replacements also refuse what belongs to another user (neither this process's user
// nor root): a link at the end of the path, which in a folder others may write to could point
// the program at any file of the user's, and the file itself. Their errors, below zero and apart
// from the file types, which FileErrorText describes:
inline constexpr int kForeignLink = -1;       // a link at the end of the path is someone else's
inline constexpr int kForeignFile = -2;       // the file is someone else's
inline constexpr int kWritableByOthers = -3;  // see SharedFileError

// SystemErrorText for an errno value; for a refusal, what the path holds instead of a file, or
// whose it is.
std::string FileErrorText(int err);

// Why a read or a replacement would refuse path: no regular file, or someone else's link or file;
// 0 when it would not, an absent path included.
int UnusableFileError(const std::string& path);

// Raises EFOpenError, naming path and UnusableFileError's reason, when there is one. A load asks
// this first so that such a path is shown as the mistake it is rather than read as an empty file.
void RefuseUnusableFile(const std::string& path);

// UnusableFileError, and kWritableByOthers for a file whose group or others may write to it: a
// file that chooses what the program does (which servers it fetches from) is read only when
// nobody but its owner can have written it.
int SharedFileError(const std::string& path);

// A regular file (or a link to one) exists at path; a directory, a named pipe or a device does
// not count.
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

  // Returns 0, or the errno of the failure, or the refusal of what is not a regular file or is
  // someone else's (UnusableFileError). Never waits on a named pipe that has no writer.
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
// Finish leaves an emptied file (Create) or the old file untouched (CreateReplacement, except
// when it writes in place).
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
  // the same folder, private to the user while it is written, which Finish flushes to the disk
  // and renames over path. A file already at path keeps its permission bits and owner; a new one
  // gets 0666 less the umask. Links at path are followed to the file, which is replaced and the
  // links kept. A file that its permission bits do not let this process write (MayWriteFile) is
  // refused with EACCES; a path that holds no regular file, or someone else's link or file, with
  // its refusal (UnusableFileError). Temporaries that crashed saves of path left behind go first
  // (RemoveStaleTemporaries).
  // A folder that refuses the temporary file while the file itself may be written gets the file
  // written in place instead: the one case that gives up the all-or-nothing replace, so that a
  // file kept in a folder the user may not change still saves. Overwriting without emptying the
  // file first keeps the old bytes under a list that only grew, should the write stop halfway.
  // Returns 0, or the errno of the failure; FolderRefused() then tells whether the folder refused.
  int CreateReplacement(const std::string& path);
  // Returns 0, or the errno of the failure.
  int Write(std::string_view bytes);
  // Returns 0, or the errno of the failure (for a replacement the old file is then unchanged).
  int Finish();

  // CreateReplacement failed because the folder would not take the temporary file.
  bool FolderRefused() const { return FFolderRefused; }

private:
  int FFd = -1;
  bool FReplacement = false;
  bool FInPlace = false;
  bool FFolderRefused = false;
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

// How SaveFile starts the file: created or emptied (TFileWriter::Create), or replaced whole
// (TFileWriter::CreateReplacement).
enum class TSaveMode { Create, Replace };

// How a save ended: Err is 0, or the errno of the failure.
struct TSaveResult {
  int Err = 0;
  bool Started = false;        // the file was created before the failure (a write or Finish failed)
  bool FolderRefused = false;  // see TFileWriter::FolderRefused
};

// Hands the bytes of a file to write piece by piece; returns 0, or the first non-zero value that
// write returned.
using TWriteFn = std::function<int(std::string_view)>;
using TProduceFn = std::function<int(const TWriteFn& write)>;

// Every save: starts the file at path as mode says, writes what produce hands out and finishes it.
TSaveResult SaveFile(const std::string& path, TSaveMode mode, const TProduceFn& produce);

// Raises the failure of a save of path: EFCreateError, or EWriteError for a file created and then
// not written whole when writeErrors says so.
[[noreturn]] void RaiseSaveError(const std::string& path, const TSaveResult& result,
                                 bool writeErrors);

// Creates the file, or empties it, and writes bytes. Returns 0, or the errno of the failure.
int WriteWholeFile(const std::string& path, std::string_view bytes);

// Replaces the file at path by one holding bytes, as TFileWriter::CreateReplacement describes.
// Returns 0, or the errno of the failure (the old file unchanged).
int ReplaceWholeFile(const std::string& path, std::string_view bytes);

// Removes what a save of path killed halfway left behind: the user's regular files named
// "<file name>.tmp<pid>-<letters or digits>" beside path whose process is gone or is not this
// program. Files of a running copy of the program are left alone, and so are this process's own
// unless ownToo says that no save of this process runs. Nothing else in the folder is touched, and
// no other folder (the folder of a file that a link at path points to is not the program's);
// failures are ignored.
void RemoveStaleTemporaries(const std::string& path, bool ownToo);

}  // namespace brevak
