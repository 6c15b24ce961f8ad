#pragma once

namespace morvit {

// A stream whose whole records an interruption saves before the process ends (the console
// and the report). save_from_signal() must be async-signal-safe.
class SavedOnInterruption {
 public:
  virtual void save_from_signal() noexcept = 0;

 protected:
  ~SavedOnInterruption() = default;
};

// An interruption from outside (Ctrl-C, a termination request, a hangup, the quit key, the
// file size limit) ends the run at once: the whole records written so far are saved, a word
// goes to standard error ("Interrupt", "Killed", "Hangup", "Quit", "File size limit
// exceeded") and the process ends with status 1.
void install_interrupt_handlers(SavedOnInterruption* console, SavedOnInterruption* report);
void remove_interrupt_handlers();

// While one exists, an interruption waits: a report file is being switched, written out or
// cut, and its records are not whole. When the last one ends, a waiting interruption ends the
// run. A write that waits (a full pipe) is broken off by the interruption, so the wait is short.
class CriticalSection {
 public:
  CriticalSection() noexcept;
  ~CriticalSection();
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
};

// True when an interruption waits for the critical section to end.
bool interruption_pending() noexcept;

// True while a critical section holds interruptions back.
bool interruptions_held() noexcept;

// A write failed because the file passed the size limit: the signal that came with it is the
// write failure itself, reported as such, not an interruption.
void forget_file_size_interruption() noexcept;

}  // namespace morvit
