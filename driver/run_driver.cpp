#include "driver/run_driver.h"

namespace morvit {

int run_morvit(int, char**) { return 0; }

}  // namespace morvit
