// OpenGL extension loading: the ARB multitexture entry points, resolved by name through the
// platform's lookup (glXGetProcAddressARB for the window, eglGetProcAddress offscreen). Under
// GLVND the GL library does not export the *ARB names, so they are never linked directly.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace kt {

using GLProc = void (*)();
using GLProcAddressFunction = GLProc (*)(const char* name);

// The context's creator installs its platform's lookup before RenderInit runs.
void SetGLProcAddressFunction(GLProcAddressFunction lookup);

struct GLExtensions {
  PFNGLACTIVETEXTUREARBPROC ActiveTextureARB = nullptr;
  PFNGLCLIENTACTIVETEXTUREARBPROC ClientActiveTextureARB = nullptr;

  // Both entry points present: lightmaps and texture unit selection may be used. Callers skip
  // multitexture work when this is false rather than call through a missing entry point.
  bool multitexture() const { return ActiveTextureARB && ClientActiveTextureARB; }
};

// Resolves every entry point with the installed lookup; true when all were found.
bool LoadGLExtensions();
const GLExtensions& GetGLExtensions();

}  // namespace kt
