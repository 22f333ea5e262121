// Whole files on POSIX systems: open, read, write; names as UTF-8.
#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/codepage.h"

namespace vantor::files {

namespace {

// Closes the descriptor once.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // The close's own result: a write can fail only there.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string Utf8(const FileName& name) { return EncodeText(name, CodePage::Utf8); }

}  // namespace

bool ReadWhole(const FileName& name, std::size_t limit, std::string* text) {
  text->clear();
  Descriptor file(::open(Utf8(name).c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return false;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  char buffer[4096];
  while (text->size() < limit) {
    const ssize_t got = ::read(file.get(), buffer, std::min(sizeof buffer, limit - text->size()));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text->append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

bool WriteWhole(const FileName& name, std::string_view bytes) {
  Descriptor file(::open(Utf8(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (file.get() < 0) return false;
  while (!bytes.empty()) {
    const ssize_t written = ::write(file.get(), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return file.Close();
}

}  // namespace vantor::files
