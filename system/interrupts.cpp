#include "system/interrupts.h"

#include <atomic>
#include <string_view>

#include "system/platform.h"

namespace morvit {
namespace {

using platform::Interruption;

// The streams an interruption saves; with the two counters below, the only mutable globals
// of the program.
std::atomic<SavedOnInterruption*> interrupted_console{nullptr};
std::atomic<SavedOnInterruption*> interrupted_report{nullptr};

std::atomic<int> critical_depth{0};
constexpr int none_pending = -1;
std::atomic<int> pending{none_pending};

std::string_view message_of(Interruption kind) {
  switch (kind) {
    case Interruption::keyboard: return "Interrupt\n";
    case Interruption::termination: return "Killed\n";
    case Interruption::hangup: return "Hangup\n";
    case Interruption::quit: return "Quit\n";
    case Interruption::file_size: return "File size limit exceeded\n";
  }
  return "Killed\n";
}

[[noreturn]] void end_interrupted_run(Interruption kind) noexcept {
  if (SavedOnInterruption* console = interrupted_console.load()) console->save_from_signal();
  if (SavedOnInterruption* report = interrupted_report.load()) report->save_from_signal();
  platform::write_standard_error(message_of(kind));
  platform::exit_now(1);
}

void on_interruption(Interruption kind) {
  if (critical_depth.load() > 0) {
    pending.store(static_cast<int>(kind));
    platform::interrupt_waiting_write();
    return;
  }
  end_interrupted_run(kind);
}

}  // namespace

void install_interrupt_handlers(SavedOnInterruption* console, SavedOnInterruption* report) {
  interrupted_console.store(console);
  interrupted_report.store(report);
  platform::install_interruption_handler(on_interruption);
}

void remove_interrupt_handlers() {
  platform::remove_interruption_handler();
  interrupted_console.store(nullptr);
  interrupted_report.store(nullptr);
  pending.store(none_pending);
}

CriticalSection::CriticalSection() noexcept { critical_depth.fetch_add(1); }

CriticalSection::~CriticalSection() {
  if (critical_depth.fetch_sub(1) == 1) {
    const int kind = pending.load();
    if (kind != none_pending) end_interrupted_run(static_cast<Interruption>(kind));
  }
}

bool interruption_pending() noexcept { return pending.load() != none_pending; }

bool interruptions_held() noexcept { return critical_depth.load() > 0; }

void forget_file_size_interruption() noexcept {
  int expected = static_cast<int>(Interruption::file_size);
  pending.compare_exchange_strong(expected, none_pending);
}

}  // namespace morvit
