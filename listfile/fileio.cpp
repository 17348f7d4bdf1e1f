// Whole-file input and output on POSIX calls, so that every failure keeps its errno.
#include "listfile/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace brevak {
namespace {

std::string FileMessage(const char* what, const std::string& path, int err) {
  return std::string(what) + " \"" + FullPath(path) + "\". " + SystemErrorText(err);
}

// Writes all of bytes; returns 0 or errno.
int WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    // Linux moves at most about 2 GB per call.
    ssize_t n = write(fd, p, left < (1u << 30) ? left : (1u << 30));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
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

int ReadWholeFile(const std::string& path, std::string& bytes) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  std::string data;
  struct stat st;
  int err = fstat(fd, &st) == 0 ? 0 : errno;
  // The size is a hint: a file that grows or shrinks meanwhile is read to its real end.
  if (err == 0 && st.st_size > 0) data.reserve(static_cast<std::size_t>(st.st_size) + 4096);
  std::size_t used = 0;
  while (err == 0) {
    if (data.capacity() - used < 4096) data.reserve(data.capacity() * 2 + 65536);
    data.resize(data.capacity());
    ssize_t n = read(fd, data.data() + used, data.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
    } else if (n == 0) {
      break;
    } else {
      used += static_cast<std::size_t>(n);
    }
  }
  close(fd);
  if (err != 0) return err;
  data.resize(used);
  bytes = std::move(data);
  return 0;
}

int WriteWholeFile(const std::string& path, std::string_view bytes, bool* opened) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (opened != nullptr) *opened = fd >= 0;
  if (fd < 0) return errno;
  int err = WriteAll(fd, bytes);
  if (close(fd) != 0 && err == 0) err = errno;
  return err;
}

int ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  std::string target = LinkTarget(path);
  struct stat old;
  bool exists = stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) return EISDIR;
  if (exists && !MayWrite(target, old)) return EACCES;

  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = TemporaryName(target);
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;

  int err = WriteAll(fd, bytes);
  if (err == 0 && exists) {
    if (fchmod(fd, old.st_mode & 07777) != 0) err = errno;
    // Only the superuser may give a file away; for anyone else the owner is already right.
    if (err == 0 && (old.st_uid != geteuid() || old.st_gid != getegid())) {
      [[maybe_unused]] int ignored = fchown(fd, old.st_uid, old.st_gid);
    }
  }
  if (err == 0 && fsync(fd) != 0) err = errno;
  if (close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    unlink(temp.c_str());
    return err;
  }
  // The rename itself reaches the disk with the folder.
  std::string dir = target.substr(0, target.rfind('/') + 1);
  int dirfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirfd >= 0) {
    fsync(dirfd);
    close(dirfd);
  }
  return 0;
}

}  // namespace brevak
