// Whole-file input and output on POSIX calls, so that every failure keeps its errno.
#include "listfile/fileio.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/showntext.h"

namespace brevak {
namespace {

std::string FileMessage(const char* what, const std::string& path, int err) {
  return std::string(what) + " \"" + ShownText(FullPath(path)) + "\". " + FileErrorText(err);
}

constexpr std::string_view kTemporaryMark = ".tmp";

// Creates a temporary file beside path, "<path>.tmp<pid>-<six random letters or digits>", with
// O_EXCL and mode 0600: nobody can read it while it is written, and nobody can take its name
// beforehand. RemoveStaleTemporaries reads the pid back from the name. Returns the descriptor, or
// -1 with errno set.
int CreateTemporary(const std::string& path, std::string& name) {
  name = path + std::string(kTemporaryMark) + std::to_string(getpid()) + "-XXXXXX";
  return mkostemp(name.data(), O_CLOEXEC);
}

// The pid in name when it is "<fileName>.tmp<pid>-<letters or digits>"; 0 for any other name.
// Digits alone after the dash are what earlier versions wrote.
pid_t TemporaryPid(std::string_view name, std::string_view fileName) {
  if (!name.starts_with(fileName)) return 0;
  name.remove_prefix(fileName.size());
  if (!name.starts_with(kTemporaryMark)) return 0;
  name.remove_prefix(kTemporaryMark.size());
  std::size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 || dash + 1 == name.size()) return 0;
  auto digits = [](std::string_view s) { return s.find_first_not_of("0123456789") == s.npos; };
  std::string_view random = name.substr(dash + 1);
  if (!digits(name.substr(0, dash)) || random.size() > 20 ||
      random.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz"
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZ") != random.npos)
    return 0;
  pid_t pid = 0;
  for (char c : name.substr(0, dash)) pid = pid * 10 + (c - '0');
  return pid;
}

// The mode a new file gets from open(..., 0666): what the umask lets through. The umask can only
// be read by setting it, so /proc tells it where it can.
unsigned NewFileMode() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("Umask:"))
      return 0666 & ~static_cast<unsigned>(std::stoul(line.substr(6), nullptr, 8));
  }
  mode_t mask = umask(022);
  umask(mask);
  return 0666 & ~mask;
}

// Whether a file or link of this owner may be used: the user's own, or root's, whom the user
// trusts with everything anyway.
bool Trusted(uid_t owner) { return owner == geteuid() || owner == 0; }

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

// access() asks the kernel, which lets the superuser write anything, so the permission bits are
// asked as well.
bool MayWrite(const std::string& path, const struct stat& st) {
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return access(path.c_str(), W_OK) == 0;
}

// The file that path names once the links at its end are followed, so that a save replaces the
// file and keeps the links. Each link must belong to the user (or root): in a folder that others
// may write to, another user's link could point the program at any file of the user's. Returns 0,
// or kForeignLink with the link that was refused in resolved. A link that leads nowhere resolves to
// where it points; too many links give ELOOP.
int ResolveLinks(const std::string& path, std::string& resolved) {
  resolved = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st;
    if (lstat(resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    if (!Trusted(st.st_uid)) return kForeignLink;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0) + 256, '\0');
    ssize_t n = readlink(resolved.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<std::size_t>(n) == target.size()) return n < 0 ? errno : ENAMETOOLONG;
    target.resize(static_cast<std::size_t>(n));
    resolved = target.starts_with('/') ? target : FolderOf(resolved) + target;
  }
  return ELOOP;
}

// What is wrong with an opened file for the program's use: no regular file, or someone else's.
int OpenedFileError(const struct stat& st) {
  if (int err = NotRegularFileError(st.st_mode)) return err;
  return Trusted(st.st_uid) ? 0 : kForeignFile;
}

}  // namespace

EFOpenError::EFOpenError(const std::string& path, int err)
    : Exception(FileMessage("Cannot open file", path, err)) {}
EFCreateError::EFCreateError(const std::string& path, int err, bool folderRefused)
    : Exception(folderRefused ? "Cannot create file \"" + ShownText(FullPath(path)) +
                                    "\". The folder \"" + ShownText(FolderOf(FullPath(path))) +
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
  switch (err) {
    case kForeignLink:
      return "It is a link that belongs to another user";
    case kForeignFile:
      return "It belongs to another user";
    case kWritableByOthers:
      return "Other users may change it";
    default:
      break;
  }
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

int UnusableFileError(const std::string& path) {
  std::string resolved;
  if (int err = ResolveLinks(path, resolved)) return err;
  struct stat st;
  if (stat(resolved.c_str(), &st) != 0) return 0;
  return OpenedFileError(st);
}

void RefuseUnusableFile(const std::string& path) {
  if (int err = UnusableFileError(path)) throw EFOpenError(path, err);
}

int SharedFileError(const std::string& path) {
  if (int err = UnusableFileError(path)) return err;
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
    return kWritableByOthers;
  return 0;
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
  // opened, in case the path changed in between. The links are followed here, each of them
  // checked, and the open follows none, so that a link put in place meanwhile is not followed
  // either. Without O_NONBLOCK the open of a named pipe would wait for a writer.
  std::string resolved;
  if (int err = ResolveLinks(path, resolved)) return err;
  struct stat st;
  if (stat(resolved.c_str(), &st) == 0) {
    if (int err = OpenedFileError(st)) return err;
  }
  FFd = open(resolved.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
  if (FFd < 0) return errno;
  if (fstat(FFd, &st) != 0) return errno;
  if (int err = OpenedFileError(st)) return err;
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
  if (int err = ResolveLinks(path, FTarget)) return err;
  struct stat old;
  FTargetExists = stat(FTarget.c_str(), &old) == 0;
  if (FTargetExists) {
    if (int err = OpenedFileError(old)) return err;
    if (!MayWrite(FTarget, old)) return EACCES;
    FTargetMode = old.st_mode & 07777;
    FTargetUid = old.st_uid;
    FTargetGid = old.st_gid;
  }
  // Only beside path: a link's target may lie in a folder that is not the program's.
  RemoveStaleTemporaries(path, false);
  std::string temp;
  FFd = CreateTemporary(FTarget, temp);
  if (FFd >= 0) {
    FTemporary = temp;
    return 0;
  }
  int err = errno;
  if (err != EACCES && err != EPERM) return err;
  if (FTargetExists) {
    FFd = open(FTarget.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat opened;
    if (FFd >= 0 && (fstat(FFd, &opened) != 0 || OpenedFileError(opened) != 0)) {
      close(FFd);
      FFd = -1;
      return kForeignFile;
    }
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
    // The temporary was private while it was written; it takes the old file's bits as it takes
    // the old file's place.
    if (fchmod(FFd, FTargetMode) != 0) err = errno;
    // Only the superuser may give a file away; for anyone else the owner is already right.
    if (err == 0 && (FTargetUid != geteuid() || FTargetGid != getegid())) {
      [[maybe_unused]] int ignored = fchown(FFd, FTargetUid, FTargetGid);
    }
  } else if (FReplacement) {
    // A new file gets the bits any newly created file would.
    if (fchmod(FFd, NewFileMode()) != 0) err = errno;
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
  result.Err = mode == TSaveMode::Create ? file.Create(path) : file.CreateReplacement(path);
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
  return SaveFile(path, TSaveMode::Create, [bytes](const TWriteFn& write) { return write(bytes); })
      .Err;
}

int ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  return SaveFile(path, TSaveMode::Replace, [bytes](const TWriteFn& write) { return write(bytes); })
      .Err;
}

void RemoveStaleTemporaries(const std::string& path, bool ownToo) {
  const std::string folder = FolderOf(path);
  const std::string fileName = path.substr(path.rfind('/') + 1);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const pid_t self = getpid();
  while (const dirent* entry = readdir(dir)) {
    pid_t pid = TemporaryPid(entry->d_name, fileName);
    if (pid <= 0 || (pid == self && !ownToo) || (pid != self && IsRunningCopy(pid))) continue;
    // Only a regular file of the user's: a folder or a link of that name is no temporary of a
    // save, nor is another user's file.
    struct stat st;
    if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == geteuid())
      unlinkat(dirfd(dir), entry->d_name, 0);
  }
  closedir(dir);
}

}  // namespace brevak
