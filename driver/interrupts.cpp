#include "driver/interrupts.h"

#include <unistd.h>

#include "driver/report_file.h"

namespace morvit {
namespace {

// The streams the handler saves; the only mutable globals of the program.
ReportFile* volatile interrupted_console = nullptr;
ReportFile* volatile interrupted_report = nullptr;

void write_stderr(const char* text, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(STDERR_FILENO, text, size);
    if (n <= 0) return;
    text += n;
    size -= static_cast<std::size_t>(n);
  }
}

extern "C" void on_interrupt(int signal_number) {
  if (ReportFile* console = interrupted_console) console->save_from_signal();
  if (ReportFile* report = interrupted_report) report->save_from_signal();
  if (signal_number == SIGINT) {
    write_stderr("Interrupt\n", 10);
  } else {
    write_stderr("Killed\n", 7);
  }
  ::_exit(1);
}

}  // namespace

void install_interrupt_handlers(ReportFile* console, ReportFile* report) {
  interrupted_console = console;
  interrupted_report = report;
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void remove_interrupt_handlers() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  interrupted_console = nullptr;
  interrupted_report = nullptr;
}

InterruptsBlocked::InterruptsBlocked() {
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  sigaddset(&blocked, SIGTERM);
  sigprocmask(SIG_BLOCK, &blocked, &saved_);
}

InterruptsBlocked::~InterruptsBlocked() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }

}  // namespace morvit
