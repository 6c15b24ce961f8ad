#pragma once

#include <string>

// While one exists, what the process writes to its standard output and standard error goes
// to two files instead: a run inside R tells on them what the command line tells a
// terminal (the banner, warnings, errors in the command file, the reason of a fatal stop),
// and R reads the files afterwards. The streams are restored when it ends, also when an
// exception leaves the call. Nothing else writes to them meanwhile: R waits for the call.
//
// On Windows a hosted run has no standard streams of its own (they are taken when the
// program prepares its process, which a hosted run does not do), so there is nothing to
// divert and the files stay empty.
class StandardStreamsCapture {
 public:
  StandardStreamsCapture(const std::string& output_file, const std::string& error_file);
  ~StandardStreamsCapture();
  StandardStreamsCapture(const StandardStreamsCapture&) = delete;
  StandardStreamsCapture& operator=(const StandardStreamsCapture&) = delete;

 private:
  int saved_output_ = -1;
  int saved_error_ = -1;
};
