// Choosing optional GL entry points from the extension and version strings.
#include "platform/glapi.h"

#include "platform/platform.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

bool listsExtension(const char* list, const char* name)
{
    const size_t length = std::strlen(name);
    for (const char* found = std::strstr(list, name); found; found = std::strstr(found + 1, name))
    {
        const bool startsWord = found == list || found[-1] == ' ';
        const bool endsWord = found[length] == ' ' || found[length] == '\0';
        if (startsWord && endsWord)
        {
            return true;
        }
    }
    return false;
}

bool versionAtLeast(const char* version, int wantedMajor, int wantedMinor)
{
    int major = 0;
    int minor = 0;
    if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2)
    {
        return false;
    }
    return major > wantedMajor || (major == wantedMajor && minor >= wantedMinor);
}

namespace
{
template <class Function>
void lookUp(Function& function, void* (*lookup)(const char*), const char* name, const char* suffix)
{
    char fullName[64];
    std::snprintf(fullName, sizeof fullName, "%s%s", name, suffix);
    function = reinterpret_cast<Function>(lookup(fullName));
}

BufferObjectApi lookUpBufferObjects(void* (*lookup)(const char*), const char* suffix)
{
    BufferObjectApi api;
    lookUp(api.genBuffers, lookup, "glGenBuffers", suffix);
    lookUp(api.deleteBuffers, lookup, "glDeleteBuffers", suffix);
    lookUp(api.bindBuffer, lookup, "glBindBuffer", suffix);
    lookUp(api.bufferData, lookup, "glBufferData", suffix);
    lookUp(api.mapBuffer, lookup, "glMapBuffer", suffix);
    lookUp(api.unmapBuffer, lookup, "glUnmapBuffer", suffix);
    return api.available() ? api : BufferObjectApi();
}
} // namespace

BufferObjectApi chooseBufferObjectApi(const char* extensions, const char* version,
                                      void* (*lookup)(const char*))
{
    if (versionAtLeast(version, 1, 5))
    {
        const BufferObjectApi api = lookUpBufferObjects(lookup, "");
        if (api.available())
        {
            return api;
        }
    }
    if (extensions && listsExtension(extensions, "GL_ARB_vertex_buffer_object"))
    {
        return lookUpBufferObjects(lookup, "ARB");
    }
    return BufferObjectApi();
}

BufferObjectApi detectBufferObjectApi()
{
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return chooseBufferObjectApi(extensions, version, getGlProcAddress);
}

FramebufferApi chooseFramebufferApi(const char* extensions, const char* version,
                                    void* (*lookup)(const char*))
{
    const bool promised = versionAtLeast(version, 3, 0) ||
                          (extensions && listsExtension(extensions, "GL_ARB_framebuffer_object"));
    if (!promised)
    {
        return FramebufferApi();
    }
    FramebufferApi api;
    lookUp(api.genFramebuffers, lookup, "glGenFramebuffers", "");
    lookUp(api.deleteFramebuffers, lookup, "glDeleteFramebuffers", "");
    lookUp(api.bindFramebuffer, lookup, "glBindFramebuffer", "");
    lookUp(api.genRenderbuffers, lookup, "glGenRenderbuffers", "");
    lookUp(api.deleteRenderbuffers, lookup, "glDeleteRenderbuffers", "");
    lookUp(api.bindRenderbuffer, lookup, "glBindRenderbuffer", "");
    lookUp(api.renderbufferStorage, lookup, "glRenderbufferStorage", "");
    lookUp(api.framebufferRenderbuffer, lookup, "glFramebufferRenderbuffer", "");
    lookUp(api.checkFramebufferStatus, lookup, "glCheckFramebufferStatus", "");
    lookUp(api.blitFramebuffer, lookup, "glBlitFramebuffer", "");
    return api.available() ? api : FramebufferApi();
}

FramebufferApi detectFramebufferApi()
{
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return chooseFramebufferApi(extensions, version, getGlProcAddress);
}

namespace
{
MultitextureApi lookUpMultitexture(void* (*lookup)(const char*), const char* suffix)
{
    MultitextureApi api;
    lookUp(api.activeTexture, lookup, "glActiveTexture", suffix);
    lookUp(api.multiTexCoord2f, lookup, "glMultiTexCoord2f", suffix);
    if (!api.available())
    {
        return MultitextureApi();
    }
    lookUp(api.clientActiveTexture, lookup, "glClientActiveTexture", suffix);
    lookUp(api.multiTexCoord4f, lookup, "glMultiTexCoord4f", suffix);
    return api;
}
} // namespace

MultitextureApi chooseMultitextureApi(const char* extensions, const char* version,
                                      void* (*lookup)(const char*))
{
    if (extensions && listsExtension(extensions, "GL_ARB_multitexture"))
    {
        MultitextureApi api = lookUpMultitexture(lookup, "ARB");
        if (api.available())
        {
            return api;
        }
    }
    if (versionAtLeast(version, 1, 3))
    {
        return lookUpMultitexture(lookup, "");
    }
    return MultitextureApi();
}

MultitextureApi detectMultitextureApi()
{
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return chooseMultitextureApi(extensions, version, getGlProcAddress);
}
