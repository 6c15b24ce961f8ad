// Writes the page of filled_run() to the file named on its command line: the page checks
// (check_html_page.py) read its data and load it in Chromium.
#include <fstream>

#include "exchange/output/html_page.h"
#include "filled_run.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ofstream file(argv[1], std::ios::binary);
  morvit::write_html_page(file, morvit::filled_run());
  file.close();
  return file ? 0 : 1;
}
