// libjpeg error handling shared by the JPEG reader and writer. libjpeg reports fatal errors
// through error_exit, which must not return (its default ends the process): the handler here
// jumps back to the codec's setjmp with the message kept for the log line. The function that
// calls setjmp must hold no objects with destructors.
#pragma once

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace kt {

struct JpegErrors {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

// Fills `errors` and returns the manager to put into a codec's `err`.
inline jpeg_error_mgr* InitJpegErrors(JpegErrors& errors) {
  jpeg_error_mgr* manager = jpeg_std_error(&errors.base);
  manager->error_exit = [](j_common_ptr info) {
    auto* self = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, self->message);
    std::longjmp(self->jump, 1);
  };
  manager->output_message = [](j_common_ptr) {};
  return manager;
}

}  // namespace kt
