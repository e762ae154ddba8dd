// ARB multitexture entry points, resolved through the platform's lookup.
#include "render/gl_extensions.h"

namespace kt {
namespace {

GLProcAddressFunction g_lookup = nullptr;
GLExtensions g_extensions;

template <typename Function>
bool Resolve(const char* name, Function& function) {
  function = g_lookup ? reinterpret_cast<Function>(g_lookup(name)) : nullptr;
  return function != nullptr;
}

}  // namespace

void SetGLProcAddressFunction(GLProcAddressFunction lookup) { g_lookup = lookup; }

bool LoadGLExtensions() {
  bool all = true;
  all &= Resolve("glActiveTextureARB", g_extensions.ActiveTextureARB);
  all &= Resolve("glClientActiveTextureARB", g_extensions.ClientActiveTextureARB);
  return all;
}

const GLExtensions& GetGLExtensions() { return g_extensions; }

}  // namespace kt
