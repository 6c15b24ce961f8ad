#include "system/file_stream.h"

#include "system/interrupts.h"

namespace morvit {

FileStream::Buffer::int_type FileStream::Buffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize FileStream::Buffer::xsputn(const char* text, std::streamsize count) {
  if (file_ == platform::no_handle) return 0;
  std::streamsize done = 0;
  while (done < count && error_ == 0) {
    const platform::WriteResult result =
        platform::files().write(file_, text + done, static_cast<std::size_t>(count - done));
    done += static_cast<std::streamsize>(result.written);
    if (result.stop == platform::WriteResult::Stop::failed) error_ = result.error;
    // A write that an interruption broke off ends here; one that took nothing ends too.
    if (result.stop == platform::WriteResult::Stop::interrupted && interruption_pending()) break;
    if (result.stop == platform::WriteResult::Stop::none && result.written == 0) break;
  }
  return done;
}

}  // namespace morvit
