// Optional OpenGL entry points, each chosen from what the extension string or the version string
// promises: the names are looked up only then, since some implementations hand out stubs for
// any name. Without them the park keeps to what every OpenGL 1.1 offers.
#pragma once

// True when a space-separated extension list holds `name` as a whole word.
bool listsExtension(const char* list, const char* name);
// True when a version string ("1.5 Mesa ...", "4.5 (Compatibility Profile) ...") is at least
// major.minor; false for a null or unreadable one.
bool versionAtLeast(const char* version, int wantedMajor, int wantedMinor);

// Buffer objects (OpenGL 1.5, or the ARB extension with the same signatures): vertex and index
// data kept by the driver, drawn with the fixed-function pipeline's vertex arrays.
struct BufferObjectApi
{
    void (*genBuffers)(int count, unsigned* names) = nullptr;
    void (*deleteBuffers)(int count, const unsigned* names) = nullptr;
    void (*bindBuffer)(unsigned target, unsigned name) = nullptr;
    void (*bufferData)(unsigned target, long size, const void* data, unsigned usage) = nullptr;
    void* (*mapBuffer)(unsigned target, unsigned access) = nullptr;
    unsigned char (*unmapBuffer)(unsigned target) = nullptr; // false: the contents were lost

    bool available() const
    {
        return genBuffers && deleteBuffers && bindBuffer && bufferData && mapBuffer && unmapBuffer;
    }
};

// The core names from version 1.5 on, else the ARB names when "GL_ARB_vertex_buffer_object" is
// listed, else none. Either string may be null.
BufferObjectApi chooseBufferObjectApi(const char* extensions, const char* version,
                                      void* (*lookup)(const char*));
// The entry points of the current GL context (needs one).
BufferObjectApi detectBufferObjectApi();

// Framebuffer objects (OpenGL 3.0, or "GL_ARB_framebuffer_object" with the same names): drawing
// into images of the program's own, and copying one rectangle of pixels onto another, scaled.
struct FramebufferApi
{
    void (*genFramebuffers)(int count, unsigned* names) = nullptr;
    void (*deleteFramebuffers)(int count, const unsigned* names) = nullptr;
    void (*bindFramebuffer)(unsigned target, unsigned name) = nullptr;
    void (*genRenderbuffers)(int count, unsigned* names) = nullptr;
    void (*deleteRenderbuffers)(int count, const unsigned* names) = nullptr;
    void (*bindRenderbuffer)(unsigned target, unsigned name) = nullptr;
    void (*renderbufferStorage)(unsigned target, unsigned format, int width, int height) = nullptr;
    void (*framebufferRenderbuffer)(unsigned target, unsigned attachment,
                                    unsigned renderbufferTarget, unsigned renderbuffer) = nullptr;
    unsigned (*checkFramebufferStatus)(unsigned target) = nullptr;
    void (*blitFramebuffer)(int sourceX0, int sourceY0, int sourceX1, int sourceY1, int targetX0,
                            int targetY0, int targetX1, int targetY1, unsigned mask,
                            unsigned filter) = nullptr;

    bool available() const
    {
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && genRenderbuffers &&
               deleteRenderbuffers && bindRenderbuffer && renderbufferStorage &&
               framebufferRenderbuffer && checkFramebufferStatus && blitFramebuffer;
    }
};

// The names from version 3.0 on, or when "GL_ARB_framebuffer_object" is listed; else none.
FramebufferApi chooseFramebufferApi(const char* extensions, const char* version,
                                    void* (*lookup)(const char*));
// The entry points of the current GL context (needs one).
FramebufferApi detectFramebufferApi();

// The multitexture entry points, from the ARB extension or from core OpenGL 1.3 (the same
// signatures). The first two null when the GL offers neither: the ground is then drawn
// single-textured and the sky layer by layer. The third serves the vertex arrays of buffer
// objects only.
struct MultitextureApi
{
    void (*activeTexture)(unsigned unit) = nullptr;
    void (*multiTexCoord2f)(unsigned unit, float s, float t) = nullptr;
    void (*clientActiveTexture)(unsigned unit) = nullptr;
    // Homogeneous coordinates, for a texture projected onto what is drawn; may be null.
    void (*multiTexCoord4f)(unsigned unit, float s, float t, float r, float q) = nullptr;

    bool available() const { return activeTexture && multiTexCoord2f; }
};

// Chooses the entry points from the extension string and the version string: the ARB names when
// "GL_ARB_multitexture" is listed, else the core names when the version is 1.3 or later. Only
// names so promised are passed to lookup. Either string may be null.
MultitextureApi chooseMultitextureApi(const char* extensions, const char* version,
                                      void* (*lookup)(const char*));

// The entry points of the current GL context (needs one).
MultitextureApi detectMultitextureApi();
