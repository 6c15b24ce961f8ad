#include "exchange/diagnostics.h"

namespace morvit {

std::string diagnostic(const Place& place, Severity severity, std::string_view what) {
  return diagnostic(place.file, static_cast<std::uint64_t>(place.line), static_cast<std::uint64_t>(place.column),
                    severity, what);
}

void report(std::ostream& err, const Place& place, Severity severity, std::string_view what) {
  err << diagnostic(place, severity, what) << '\n';
}

}  // namespace morvit
