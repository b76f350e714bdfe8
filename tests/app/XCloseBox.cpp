// The close box of a window on an X server without a window manager: the WM_DELETE_WINDOW
// message that a window manager sends when its close button is clicked. Xlib stays in this
// file, away from Qt's headers.
#include <X11/Xlib.h>

#include <cstring>

bool SendWindowCloseBox(unsigned long nWindow, const char* pszDisplay)
{
    Display* pDisplay = XOpenDisplay(pszDisplay);
    if (!pDisplay)
        return false;
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = nWindow;
    event.xclient.message_type = XInternAtom(pDisplay, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(pDisplay, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    const Status status = XSendEvent(pDisplay, nWindow, False, NoEventMask, &event);
    XFlush(pDisplay);
    XCloseDisplay(pDisplay);
    return status != 0;
}
