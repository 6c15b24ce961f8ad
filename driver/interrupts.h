#pragma once

#include <signal.h>

namespace morvit {

class ReportFile;

// Keyboard interrupts and termination requests end the run at once: the records written
// so far are saved, "Interrupt" (SIGINT) or "Killed" (SIGTERM) goes to standard error and
// the process ends with status 1.
void install_interrupt_handlers(ReportFile* console, ReportFile* report);
void remove_interrupt_handlers();

// Holds SIGINT and SIGTERM back for the lifetime of the object, so that a handler never
// runs while a report file is being switched or its buffer written.
class InterruptsBlocked {
 public:
  InterruptsBlocked();
  ~InterruptsBlocked();
  InterruptsBlocked(const InterruptsBlocked&) = delete;
  InterruptsBlocked& operator=(const InterruptsBlocked&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace morvit
