#include "exchange/output/page_assets.h"

namespace morvit {

// Until the build makes page_numbers.wasm, pages carry no numbers module.
std::string_view page_numbers_wasm() { return {}; }

}  // namespace morvit
