// Kept apart: GL/glx.h brings the X11 headers, whose macros clash with the toolkit's names.
#include "app/glx_lookup.h"

#include <GL/glx.h>

namespace kt {

GLProc LookupGLXProc(const char* name) {
  return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
}

}  // namespace kt
