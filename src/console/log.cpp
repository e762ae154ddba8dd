// Log routine: fixed-size formatting, console sink, and the process's "log.txt".
#include "console/log.h"

#include <cstdarg>
#include <cstdio>

namespace kt {

namespace {

LogSink* g_sink = nullptr;
FILE* g_file = nullptr;

constexpr int kLogBufferSize = 1024;

void Emit(bool to_file, const char* format, va_list args) {
  if (!format) return;
  char buffer[kLogBufferSize];
  std::vsnprintf(buffer, sizeof buffer, format, args);  // cuts at 1023, always terminated
  if (g_sink) g_sink->Print(buffer, kLineNormal);
  if (!to_file) return;
  if (!g_file) OpenLogFile();
  if (!g_file) return;
  std::fputs(buffer, g_file);
  std::fputc('\n', g_file);
  std::fflush(g_file);
}

}  // namespace

void SetLogSink(LogSink* sink) { g_sink = sink; }
LogSink* GetLogSink() { return g_sink; }

void LogPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Emit(true, format, args);
  va_end(args);
}

void ConsolePrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Emit(false, format, args);
  va_end(args);
}

void OpenLogFile(const char* path) {
  CloseLogFile();
  g_file = std::fopen(path, "w");
}

void CloseLogFile() {
  if (g_file) std::fclose(g_file);
  g_file = nullptr;
}

}  // namespace kt
