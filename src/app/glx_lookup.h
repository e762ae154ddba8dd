// The window's OpenGL entry-point lookup: glXGetProcAddressARB (the toolkit's canvas is GLX).
#pragma once

#include "render/gl_extensions.h"

namespace kt {

GLProc LookupGLXProc(const char* name);

}  // namespace kt
