#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/program_texts.h"
#include "driver/run_driver.h"

namespace {

void print(std::FILE* stream, const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream); }

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  const morvit::CommandLine line = morvit::parse_command_line(arguments);
  switch (line.mode) {
    case morvit::CommandLine::Mode::help: print(stdout, morvit::help_text()); return 0;
    case morvit::CommandLine::Mode::version: print(stdout, morvit::version_text()); return 0;
    case morvit::CommandLine::Mode::usage_error:
      print(stderr, "morvit: " + line.problem + "\n" + morvit::usage_text());
      return 2;
    case morvit::CommandLine::Mode::make_command_file:
      print(stderr, "morvit: --make-command-file is not available yet\n");
      return 2;
    case morvit::CommandLine::Mode::run: break;
  }
  morvit::RunOptions options;
  options.command_file = line.command_file;
  options.quiet = line.quiet;
  return morvit::run_morvit(options);
}
