#include <atomic>

#include "system/platform.h"

namespace morvit::platform {
namespace {

// The system's own files, made before anything runs: an interruption handler may be the
// first to ask for them.
constinit FileSystem native_files;

// A test's files in place of the system's; read by interruption handlers too, so an atomic.
constinit std::atomic<FileSystem*> in_use{nullptr};

// The bytes of an open file through the files in use; the handle is closed with the source,
// unless it is standard input.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(Handle file) : file_(file) {}
  ~FileSource() override {
    if (file_ != files().standard_input()) files().close(file_);
  }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  long read(char* dest, std::size_t size) override {
    int error = 0;
    return files().read(file_, dest, size, error);
  }

 private:
  Handle file_;
};

}  // namespace

FileSystem& files() noexcept {
  FileSystem* replaced = in_use.load();
  return replaced != nullptr ? *replaced : native_files;
}

ReplacedFiles::ReplacedFiles(FileSystem& replacement) noexcept : previous_(in_use.exchange(&replacement)) {}

ReplacedFiles::~ReplacedFiles() { in_use.store(previous_); }

std::unique_ptr<ByteSource> file_source(Handle file) { return std::make_unique<FileSource>(file); }

}  // namespace morvit::platform
