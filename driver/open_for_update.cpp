#include "driver/open_for_update.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace morvit {

std::string file_name_of(std::string_view field) {
  const std::size_t end = field.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string() : std::string(field.substr(0, end + 1));
}

int open_for_update(std::string_view name, OpenPurpose purpose) {
  const std::string path = file_name_of(name);
  if (path.empty() || path.find('\0') != std::string::npos) return -1;

  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0 && purpose == OpenPurpose::command_file && (errno == EACCES || errno == EROFS || errno == ETXTBSY)) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  }
  if (fd < 0) return -1;

  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace morvit
