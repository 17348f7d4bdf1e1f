// Whole-file input and output on POSIX calls, so that every failure keeps its errno.
#include "listfile/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace brevak {
namespace {

std::string FileMessage(const char* what, const std::string& path, int err) {
  return std::string(what) + " \"" + FullPath(path) + "\". " + SystemErrorText(err);
}

// A name for a temporary file beside path that no other save in this or another process uses.
std::string TemporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

// access() asks the kernel, which lets the superuser write anything, so the permission bits are
// asked as well.
bool MayWrite(const std::string& path, const struct stat& st) {
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return access(path.c_str(), W_OK) == 0;
}

// The file a link at path points to, so that a save replaces the file and keeps the link.
std::string LinkTarget(const std::string& path) {
  struct stat lst;
  if (lstat(path.c_str(), &lst) != 0 || !S_ISLNK(lst.st_mode)) return path;
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string target(resolved);
  std::free(resolved);
  return target;
}

}  // namespace

EFOpenError::EFOpenError(const std::string& path, int err)
    : Exception(FileMessage("Cannot open file", path, err)) {}
EFCreateError::EFCreateError(const std::string& path, int err)
    : Exception(FileMessage("Cannot create file", path, err)) {}
EWriteError::EWriteError(const std::string& path, int err)
    : Exception(FileMessage("Cannot write file", path, err)) {}

std::string FullPath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return full.lexically_normal().string();
}

std::string SystemErrorText(int err) {
  char buf[256];
  // The GNU strerror_r returns its text, which need not be in buf.
  return strerror_r(err, buf, sizeof buf);
}

bool MayWriteFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && MayWrite(path, st);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

TFileReader::~TFileReader() {
  if (FFd >= 0) close(FFd);
}

int TFileReader::Open(const std::string& path) {
  FFd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (FFd < 0) return errno;
  struct stat st;
  if (fstat(FFd, &st) != 0) return errno;
  FSizeHint = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
  return 0;
}

int TFileReader::Read(char* buf, std::size_t size, std::size_t& got) {
  for (;;) {
    ssize_t n = read(FFd, buf, size);
    if (n >= 0) {
      got = static_cast<std::size_t>(n);
      return 0;
    }
    if (errno != EINTR) return errno;
  }
}

TFileWriter::~TFileWriter() {
  if (FFd >= 0) close(FFd);
  if (FReplacement && !FTemporary.empty()) unlink(FTemporary.c_str());
}

int TFileWriter::Create(const std::string& path) {
  FFd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return FFd < 0 ? errno : 0;
}

int TFileWriter::CreateReplacement(const std::string& path) {
  FReplacement = true;
  FTarget = LinkTarget(path);
  struct stat old;
  FTargetExists = stat(FTarget.c_str(), &old) == 0;
  if (FTargetExists) {
    if (S_ISDIR(old.st_mode)) return EISDIR;
    if (!MayWrite(FTarget, old)) return EACCES;
    FTargetMode = old.st_mode & 07777;
    FTargetUid = old.st_uid;
    FTargetGid = old.st_gid;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp = TemporaryName(FTarget);
    FFd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (FFd >= 0) {
      FTemporary = temp;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

int TFileWriter::Write(std::string_view bytes) {
  if (FFd < 0) return EBADF;
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    // Linux moves at most about 2 GB per call.
    ssize_t n = write(FFd, p, left < (1u << 30) ? left : (1u << 30));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  FWritten += bytes.size();
  // A replacement is flushed to the disk before it takes the old file's place. Starting that
  // write for every few megabytes as they come lets the disk work while the rest is produced, so
  // that the flush at the end waits for little more than the last piece.
  constexpr std::size_t kFlushStep = 4u << 20;
  if (FReplacement && FWritten - FFlushed >= kFlushStep) {
    // Only a head start: a failure shows again at the flush.
    sync_file_range(FFd, static_cast<off_t>(FFlushed), static_cast<off_t>(FWritten - FFlushed),
                    SYNC_FILE_RANGE_WRITE);
    FFlushed = FWritten;
  }
  return 0;
}

int TFileWriter::Finish() {
  if (FFd < 0) return EBADF;
  int err = 0;
  if (FReplacement && FTargetExists) {
    if (fchmod(FFd, FTargetMode) != 0) err = errno;
    // Only the superuser may give a file away; for anyone else the owner is already right.
    if (err == 0 && (FTargetUid != geteuid() || FTargetGid != getegid())) {
      [[maybe_unused]] int ignored = fchown(FFd, FTargetUid, FTargetGid);
    }
  }
  if (FReplacement && err == 0 && fsync(FFd) != 0) err = errno;
  if (close(FFd) != 0 && err == 0) err = errno;
  FFd = -1;
  if (!FReplacement || err != 0) return err;
  if (rename(FTemporary.c_str(), FTarget.c_str()) != 0) return errno;
  FTemporary.clear();
  // The rename itself reaches the disk with the folder.
  std::string dir = FTarget.substr(0, FTarget.rfind('/') + 1);
  int dirfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirfd >= 0) {
    fsync(dirfd);
    close(dirfd);
  }
  return 0;
}

int ReadWholeFile(const std::string& path, TBytes& bytes) {
  TFileReader file;
  if (int err = file.Open(path)) return err;
  // The room beyond the size lets the read that finds the end do so without growing the buffer.
  std::size_t capacity = file.SizeHint() + 4096;
  auto data = std::make_unique_for_overwrite<char[]>(capacity);
  std::size_t used = 0;
  for (;;) {
    if (used == capacity) {
      std::size_t larger = capacity * 2;
      auto grown = std::make_unique_for_overwrite<char[]>(larger);
      std::memcpy(grown.get(), data.get(), used);
      data = std::move(grown);
      capacity = larger;
    }
    std::size_t got = 0;
    if (int err = file.Read(data.get() + used, capacity - used, got)) return err;
    if (got == 0) break;
    used += got;
  }
  bytes.Data = std::move(data);
  bytes.Size = used;
  return 0;
}

int WriteWholeFile(const std::string& path, std::string_view bytes, bool* opened) {
  TFileWriter file;
  int err = file.Create(path);
  if (opened != nullptr) *opened = err == 0;
  if (err == 0) err = file.Write(bytes);
  if (err == 0) err = file.Finish();
  return err;
}

int ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  TFileWriter file;
  int err = file.CreateReplacement(path);
  if (err == 0) err = file.Write(bytes);
  if (err == 0) err = file.Finish();
  return err;
}

}  // namespace brevak
