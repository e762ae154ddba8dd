// The log routine every module prints through. A message is formatted into a 1024-byte buffer
// (cut at 1023 characters) and handed to the log sink (the console's scroll-back) while one is
// installed; LogPrintf also appends it and a line end to "log.txt" and flushes at once.
// There is no timestamp and no prefix: messages carry their own ("SceneLoader: ...").
#pragma once

#include <string>

namespace kt {

// Line kinds of the console's scroll-back (bit set).
enum LineKind : int {
  kLineNormal = 1,
  kLineHistory = 2,
  kLineHidden = 4,
  kLineHighlight = 8,
  kLineError = 16,
};

class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void Print(const std::string& text, int kind) = 0;
};

// The console installs itself while it exists; nullptr removes it.
void SetLogSink(LogSink* sink);
LogSink* GetLogSink();

// Console and "log.txt".
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Console only.
void ConsolePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Truncates "log.txt" (or the given file) and directs later log lines there. Start-up calls
// this once; a process that never calls it opens "log.txt" on its first logged line.
void OpenLogFile(const char* path = "log.txt");
// Closes the file; the next logged line opens (and truncates) "log.txt" again. For tests.
void CloseLogFile();

}  // namespace kt
