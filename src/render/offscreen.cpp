// EGL surfaceless offscreen context (Mesa): pbuffer surface, OpenGL compatibility profile.
#include "render/offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "console/log.h"
#include "render/gl_extensions.h"
#include "render/screenshot.h"

namespace kt {
namespace {

GLProc LookupEGL(const char* name) { return eglGetProcAddress(name); }

EGLDisplay SurfacelessDisplay() {
  auto get_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!get_display) return EGL_NO_DISPLAY;
  EGLDisplay display = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY) return EGL_NO_DISPLAY;
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor)) return EGL_NO_DISPLAY;
  return display;
}

}  // namespace

std::unique_ptr<OffscreenContext> OffscreenContext::Create(int width, int height) {
  if (width <= 0 || height <= 0) {
    LogPrintf("OffscreenContext: invalid size %dx%d", width, height);
    return nullptr;
  }
  EGLDisplay display = SurfacelessDisplay();
  if (display == EGL_NO_DISPLAY) {
    LogPrintf("OffscreenContext: no EGL surfaceless display (error 0x%x)", eglGetError());
    return nullptr;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    LogPrintf("OffscreenContext: EGL cannot bind the OpenGL API");
    return nullptr;
  }
  const EGLint config_attributes[] = {EGL_SURFACE_TYPE,
                                      EGL_PBUFFER_BIT,
                                      EGL_RENDERABLE_TYPE,
                                      EGL_OPENGL_BIT,
                                      EGL_RED_SIZE,
                                      8,
                                      EGL_GREEN_SIZE,
                                      8,
                                      EGL_BLUE_SIZE,
                                      8,
                                      EGL_ALPHA_SIZE,
                                      8,
                                      EGL_DEPTH_SIZE,
                                      24,
                                      EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(display, config_attributes, &config, 1, &count) || count < 1) {
    LogPrintf("OffscreenContext: no RGBA8 + depth pbuffer configuration");
    return nullptr;
  }
  const EGLint surface_attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surface_attributes);
  if (surface == EGL_NO_SURFACE) {
    LogPrintf("OffscreenContext: cannot create a %dx%d pbuffer (error 0x%x)", width, height,
              eglGetError());
    return nullptr;
  }
  const EGLint context_attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                       EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, context_attributes);
  if (context == EGL_NO_CONTEXT) {
    LogPrintf("OffscreenContext: cannot create an OpenGL context (error 0x%x)", eglGetError());
    eglDestroySurface(display, surface);
    return nullptr;
  }
  std::unique_ptr<OffscreenContext> result(new OffscreenContext);
  result->display_ = display;
  result->surface_ = surface;
  result->context_ = context;
  result->width_ = width;
  result->height_ = height;
  if (!result->MakeCurrent()) {
    LogPrintf("OffscreenContext: cannot make the context current (error 0x%x)", eglGetError());
    return nullptr;
  }
  SetGLProcAddressFunction(&LookupEGL);
  return result;
}

OffscreenContext::~OffscreenContext() {
  // The display stays initialised: other contexts of this process may still use it.
  if (eglGetCurrentContext() == context_)
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(display_, context_);
  eglDestroySurface(display_, surface_);
}

bool OffscreenContext::MakeCurrent() {
  return eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE;
}

Image OffscreenContext::ReadPixels() const {
  glFinish();
  return ReadFramebuffer(0, 0, width_, height_);
}

bool OffscreenContext::SavePNG(const std::string& path) const {
  return WritePNG(path, ReadPixels());
}

}  // namespace kt
