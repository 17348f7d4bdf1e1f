// Whole-file input and output on POSIX calls, so that every failure keeps its errno.
#include "listfile/fileio.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace brevak {
namespace {

std::string FileMessage(const char* what, const std::string& path, int err) {
  return std::string(what) + " \"" + FullPath(path) + "\". " + FileErrorText(err);
}

constexpr std::string_view kTemporaryMark = ".tmp";

// A name for a temporary file beside path that no other save in this or another process uses:
// "<path>.tmp<pid>-<n>". RemoveStaleTemporaries reads the pid back from it.
std::string TemporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + std::string(kTemporaryMark) + std::to_string(getpid()) + "-" +
         std::to_string(counter++);
}

// The pid in name when it is "<fileName>.tmp<pid>-<n>"; 0 for any other name.
pid_t TemporaryPid(std::string_view name, std::string_view fileName) {
  if (!name.starts_with(fileName)) return 0;
  name.remove_prefix(fileName.size());
  if (!name.starts_with(kTemporaryMark)) return 0;
  name.remove_prefix(kTemporaryMark.size());
  std::size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 || dash + 1 == name.size()) return 0;
  auto digits = [](std::string_view s) { return s.find_first_not_of("0123456789") == s.npos; };
  if (!digits(name.substr(0, dash)) || !digits(name.substr(dash + 1))) return 0;
  pid_t pid = 0;
  for (char c : name.substr(0, dash)) pid = pid * 10 + (c - '0');
  return pid;
}

// The folder part of path with its '/', or "./" for a bare name.
std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// Whether pid is a running copy of this program: the same executable, or one named as the
// program (another build or an installed copy; /proc/<pid>/exe of another user's process cannot
// be read, its name can).
bool IsRunningCopy(pid_t pid) {
  if (kill(pid, 0) != 0 && errno == ESRCH) return false;
  const std::string proc = "/proc/" + std::to_string(pid);
  struct stat self, other;
  if (stat("/proc/self/exe", &self) == 0 && stat((proc + "/exe").c_str(), &other) == 0 &&
      self.st_dev == other.st_dev && self.st_ino == other.st_ino) {
    return true;
  }
  std::string name;
  std::getline(std::ifstream(proc + "/comm"), name);
  return name == "brevak";
}

void RemoveStaleTemporariesIn(const std::string& folder, const std::string& fileName, bool ownToo) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const pid_t self = getpid();
  while (const dirent* entry = readdir(dir)) {
    pid_t pid = TemporaryPid(entry->d_name, fileName);
    if (pid <= 0 || (pid == self && !ownToo) || (pid != self && IsRunningCopy(pid))) continue;
    // Only a regular file: a folder or a link of that name is no temporary of a save.
    struct stat st;
    if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      unlinkat(dirfd(dir), entry->d_name, 0);
  }
  closedir(dir);
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
EFCreateError::EFCreateError(const std::string& path, int err, bool folderRefused)
    : Exception(folderRefused ? "Cannot create file \"" + FullPath(path) + "\". The folder \"" +
                                    FolderOf(FullPath(path)) +
                                    "\" does not take new files: " + FileErrorText(err)
                              : FileMessage("Cannot create file", path, err)) {}
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

int NotRegularFileError(unsigned mode) {
  if (S_ISREG(mode)) return 0;
  if (S_ISDIR(mode)) return EISDIR;
  return -static_cast<int>(mode & S_IFMT);
}

std::string FileErrorText(int err) {
  if (err >= 0) return SystemErrorText(err);
  const char* kind = "something other than a file";
  switch (static_cast<unsigned>(-err)) {
    case S_IFIFO:
      kind = "a named pipe (FIFO)";
      break;
    case S_IFCHR:
      kind = "a character device";
      break;
    case S_IFBLK:
      kind = "a block device";
      break;
    case S_IFSOCK:
      kind = "a socket";
      break;
  }
  return std::string("It is ") + kind + ", not a regular file";
}

bool MayWriteFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && MayWrite(path, st);
}

void RefuseNonRegularFile(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return;
  if (int err = NotRegularFileError(st.st_mode)) throw EFOpenError(path, err);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

TFileReader::~TFileReader() {
  if (FFd >= 0) close(FFd);
}

int TFileReader::Open(const std::string& path) {
  // Asked before opening, as merely opening some devices acts on them; asked again of what was
  // opened, in case the path changed in between. Without O_NONBLOCK the open of a named pipe
  // would wait for a writer.
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    if (int err = NotRegularFileError(st.st_mode)) return err;
  }
  FFd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (FFd < 0) return errno;
  if (fstat(FFd, &st) != 0) return errno;
  if (int err = NotRegularFileError(st.st_mode)) return err;
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
    if (int err = NotRegularFileError(old.st_mode)) return err;
    if (!MayWrite(FTarget, old)) return EACCES;
    FTargetMode = old.st_mode & 07777;
    FTargetUid = old.st_uid;
    FTargetGid = old.st_gid;
  }
  RemoveStaleTemporaries(FTarget, false);
  int err = EEXIST;
  for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
    std::string temp = TemporaryName(FTarget);
    FFd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (FFd >= 0) {
      FTemporary = temp;
      return 0;
    }
    err = errno;
  }
  if (err != EACCES && err != EPERM) return err;
  if (FTargetExists) {
    FFd = open(FTarget.c_str(), O_WRONLY | O_CLOEXEC);
    if (FFd >= 0) {
      FInPlace = true;
      return 0;
    }
  }
  FFolderRefused = true;
  return err;
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
  if (FInPlace) {
    // The new bytes may be fewer than the old ones.
    if (ftruncate(FFd, static_cast<off_t>(FWritten)) != 0) err = errno;
  } else if (FReplacement && FTargetExists) {
    if (fchmod(FFd, FTargetMode) != 0) err = errno;
    // Only the superuser may give a file away; for anyone else the owner is already right.
    if (err == 0 && (FTargetUid != geteuid() || FTargetGid != getegid())) {
      [[maybe_unused]] int ignored = fchown(FFd, FTargetUid, FTargetGid);
    }
  }
  if (FReplacement && err == 0 && fsync(FFd) != 0) err = errno;
  if (close(FFd) != 0 && err == 0) err = errno;
  FFd = -1;
  if (!FReplacement || FInPlace || err != 0) return err;
  if (rename(FTemporary.c_str(), FTarget.c_str()) != 0) return errno;
  FTemporary.clear();
  // The rename itself reaches the disk with the folder.
  int dirfd = open(FolderOf(FTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

TSaveResult SaveFile(const std::string& path, TSaveMode mode, const TProduceFn& produce) {
  TFileWriter file;
  TSaveResult result;
  result.Err = mode == TSaveMode::smCreate ? file.Create(path) : file.CreateReplacement(path);
  if (result.Err != 0) {
    result.FolderRefused = file.FolderRefused();
    return result;
  }
  result.Started = true;
  result.Err = produce([&file](std::string_view piece) { return file.Write(piece); });
  if (result.Err == 0) result.Err = file.Finish();
  return result;
}

void RaiseSaveError(const std::string& path, const TSaveResult& result, bool writeErrors) {
  if (writeErrors && result.Started) throw EWriteError(path, result.Err);
  throw EFCreateError(path, result.Err, result.FolderRefused);
}

int WriteWholeFile(const std::string& path, std::string_view bytes) {
  return SaveFile(path, TSaveMode::smCreate,
                  [bytes](const TWriteFn& write) { return write(bytes); })
      .Err;
}

int ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  return SaveFile(path, TSaveMode::smReplace,
                  [bytes](const TWriteFn& write) { return write(bytes); })
      .Err;
}

void RemoveStaleTemporaries(const std::string& path, bool ownToo) {
  auto clear = [ownToo](const std::string& file) {
    RemoveStaleTemporariesIn(FolderOf(file), file.substr(file.rfind('/') + 1), ownToo);
  };
  clear(path);
  // A save through a link writes its temporary beside the file the link points to.
  std::string target = LinkTarget(path);
  if (target != path) clear(target);
}

}  // namespace brevak
