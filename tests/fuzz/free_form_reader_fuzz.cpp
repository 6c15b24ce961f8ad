// Fuzz target: free-form read statements over arbitrary bytes.
// The first byte chooses the read(2) block size, the second the number of targets of each
// statement; statements follow each other until the text is used up or a read fails.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "recordio/command_file.h"
#include "recordio/free_form_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t block = 1 + data[0] % 64;
  const std::size_t targets = data[1] % 32;
  morvit::CommandFile file =
      morvit::CommandFile::from_text(std::string(reinterpret_cast<const char*>(data) + 2, size - 2), block);
  std::vector<double> values(targets, -7.0);
  for (int statement = 0; statement < 1000; ++statement) {
    if (morvit::free_form_read(file, values) != morvit::ReadStatus::ok) break;
  }
  return 0;
}
