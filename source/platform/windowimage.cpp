// The window's picture through the X server's shared memory (MIT-SHM).
#include "platform/windowimage.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

struct WindowImage::Shared
{
    Display* display = nullptr;
    Window window = None;
    GC gc = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo segment = {};
    bool attached = false;
    bool putPending = false; // shown, perhaps not yet taken by the server
};

namespace
{
// The pixels as the GL reads back GL_BGRA in memory: 32 bits, red in bits 16 to 23, blue lowest.
bool takesBgra(const XWindowAttributes& attributes)
{
    const Visual* visual = attributes.visual;
    return (attributes.depth == 24 || attributes.depth == 32) && visual &&
           visual->red_mask == 0xff0000 && visual->green_mask == 0x00ff00 &&
           visual->blue_mask == 0x0000ff;
}
// A server that cannot reach the park's memory (a remote display) refuses the attachment with
// an error, which would otherwise end the program; it is caught while the attachment is tried.
bool g_attachRefused = false;

int noteRefusal(Display*, XErrorEvent*)
{
    g_attachRefused = true;
    return 0;
}

bool attachSegment(Display* display, XShmSegmentInfo& segment)
{
    g_attachRefused = false;
    XSync(display, False);
    int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(noteRefusal);
    const bool sent = XShmAttach(display, &segment);
    XSync(display, False);
    XSetErrorHandler(previous);
    return sent && !g_attachRefused;
}
} // namespace

WindowImage::WindowImage() : m_shared(std::make_unique<Shared>()) {}

WindowImage::~WindowImage()
{
    release();
}

bool WindowImage::ready() const
{
    return m_shared->attached;
}

void WindowImage::release()
{
    Shared& shared = *m_shared;
    if (shared.attached)
    {
        shared.putPending = false;
        XShmDetach(shared.display, &shared.segment);
        XSync(shared.display, False);
        shared.attached = false;
    }
    if (shared.segment.shmaddr && shared.segment.shmaddr != reinterpret_cast<char*>(-1))
    {
        shmdt(shared.segment.shmaddr);
    }
    shared.segment = {};
    if (shared.image)
    {
        // The pixels were the shared segment's, already let go.
        shared.image->data = nullptr;
        XDestroyImage(shared.image);
        shared.image = nullptr;
    }
    if (shared.gc)
    {
        XFreeGC(shared.display, shared.gc);
        shared.gc = nullptr;
    }
}

bool WindowImage::make(int width, int height, std::string& reason)
{
    Shared& shared = *m_shared;
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (shared.attached && display == shared.display && window == shared.window &&
        width == shared.image->width && height == shared.image->height)
    {
        return true;
    }
    release();
    if (!display || window == None || width <= 0 || height <= 0)
    {
        reason = "no window to put pixels into";
        return false;
    }
    if (!XShmQueryExtension(display))
    {
        reason = "the X server shares no memory with the park";
        return false;
    }
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || !takesBgra(attributes))
    {
        reason = "the window's pixels are not 32-bit red, green and blue";
        return false;
    }
    shared.display = display;
    shared.window = window;
    shared.image = XShmCreateImage(display, attributes.visual, unsigned(attributes.depth), ZPixmap,
                                   nullptr, &shared.segment, unsigned(width), unsigned(height));
    if (!shared.image || shared.image->bits_per_pixel != 32 || shared.image->byte_order != LSBFirst)
    {
        release();
        reason = "the server's image is not 32 bits a pixel, lowest byte first";
        return false;
    }
    const size_t bytes = size_t(shared.image->bytes_per_line) * size_t(height);
    shared.segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shared.segment.shmid < 0)
    {
        release();
        reason = "no shared memory for the window's pixels";
        return false;
    }
    shared.segment.shmaddr = static_cast<char*>(shmat(shared.segment.shmid, nullptr, 0));
    // Marked for removal at once: it goes when the last of the park and the server lets go.
    shmctl(shared.segment.shmid, IPC_RMID, nullptr);
    if (shared.segment.shmaddr == reinterpret_cast<char*>(-1))
    {
        release();
        reason = "no shared memory for the window's pixels";
        return false;
    }
    shared.image->data = shared.segment.shmaddr;
    shared.segment.readOnly = False;
    if (!attachSegment(display, shared.segment))
    {
        release();
        reason = "the X server would not share the window's pixels";
        return false;
    }
    shared.attached = true;
    shared.gc = XCreateGC(display, window, 0, nullptr);
    return true;
}

uint32_t* WindowImage::pixels()
{
    return reinterpret_cast<uint32_t*>(m_shared->image->data);
}

int WindowImage::stride() const
{
    return m_shared->image->bytes_per_line / 4;
}

int WindowImage::width() const
{
    return m_shared->image ? m_shared->image->width : 0;
}

int WindowImage::height() const
{
    return m_shared->image ? m_shared->image->height : 0;
}

void WindowImage::show()
{
    Shared& shared = *m_shared;
    XShmPutImage(shared.display, shared.window, shared.gc, shared.image, 0, 0, 0, 0,
                 unsigned(shared.image->width), unsigned(shared.image->height), False);
    XFlush(shared.display);
    shared.putPending = true;
}

void WindowImage::awaitShown()
{
    Shared& shared = *m_shared;
    if (shared.putPending)
    {
        // The server handles requests in order: once it answers, the copy is done.
        XSync(shared.display, False);
        shared.putPending = false;
    }
}
