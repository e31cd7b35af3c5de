// The X11 presenter: one X window per top-level window, a fixed size equal to
// the framebuffer, the framebuffer put with XPutImage after every paint cycle
// and on Expose. Clicks and keys become the input events the headless tests
// inject; the close button posts WM_CLOSE; topmost is _NET_WM_STATE_ABOVE.
#include "platform/win/presenter.h"

#ifdef VORA_HAVE_X11

#include "platform/win/message_sources.h"
#include "platform/win/utf16.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstring>
#include <mutex>

namespace ovr::win
{

namespace
{

struct KeyMapping
{
    KeySym sym;
    WPARAM key;
    WCHAR character;
};

constexpr KeyMapping specialKeys[] = {
    {XK_Return, VK_RETURN, 13},  {XK_KP_Enter, VK_RETURN, 13}, {XK_BackSpace, VK_BACK, 8},
    {XK_Tab, VK_TAB, 9},         {XK_Escape, VK_ESCAPE, 27},   {XK_Left, VK_LEFT, 0},
    {XK_Right, VK_RIGHT, 0},     {XK_Up, VK_UP, 0},            {XK_Down, VK_DOWN, 0},
    {XK_Home, VK_HOME, 0},       {XK_End, VK_END, 0},          {XK_Delete, VK_DELETE, 0},
    {XK_Prior, VK_PRIOR, 0},     {XK_Next, VK_NEXT, 0},        {XK_F4, VK_F4, 0},
};

// The virtual key and character of a key press; false for keys the program
// cannot see (modifiers alone and the like).
bool translateKey(XKeyEvent& event, WPARAM& key, WCHAR& character)
{
    char text[8] = {};
    KeySym sym = NoSymbol;
    XLookupString(&event, text, sizeof text, &sym, nullptr);
    for (const KeyMapping& m : specialKeys)
    {
        if (m.sym == sym)
        {
            key = m.key;
            character = m.character;
            return true;
        }
    }
    char32_t c = 0;
    if (sym >= 0x20 && sym <= 0xFF)
    {
        c = static_cast<char32_t>(sym);
    }
    else if ((sym & 0xFF000000) == 0x01000000 && (sym & 0xFFFFFF) <= 0xFFFF)
    {
        c = static_cast<char32_t>(sym & 0xFFFFFF);
    }
    if (c == 0)
    {
        return false;
    }
    character = static_cast<WCHAR>(c);
    if (c >= U'a' && c <= U'z')
    {
        key = c - U'a' + U'A';
    }
    else if ((c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9'))
    {
        key = c;
    }
    else
    {
        key = c == U' ' ? VK_SPACE : VK_PACKET;
    }
    return true;
}

class X11Presenter final : public Presenter
{
public:
    X11Presenter(Display* display, Visual* visual, int depth, const PresenterSetup& setup)
        : display_(display), hwnd_(setup.window), framebuffer_(setup.framebuffer), topmost_(setup.topmost)
    {
        const int screen = DefaultScreen(display_);
        XSetWindowAttributes attributes{};
        attributes.background_pixel = BlackPixel(display_, screen);
        attributes.border_pixel = 0; // required when the visual is not the root's
        attributes.colormap = XCreateColormap(display_, RootWindow(display_, screen), visual, AllocNone);
        attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask |
                                KeyReleaseMask | StructureNotifyMask;
        colormap_ = attributes.colormap;
        window_ = XCreateWindow(display_, RootWindow(display_, screen), setup.rect.left, setup.rect.top,
                                static_cast<unsigned>(framebuffer_->width),
                                static_cast<unsigned>(framebuffer_->height), 0, depth, InputOutput, visual,
                                CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &attributes);
        // The window's size is fixed, as the program's window has no sizing border.
        XSizeHints* hints = XAllocSizeHints();
        hints->flags = PPosition | USPosition | PMinSize | PMaxSize;
        hints->x = setup.rect.left;
        hints->y = setup.rect.top;
        hints->min_width = hints->max_width = framebuffer_->width;
        hints->min_height = hints->max_height = framebuffer_->height;
        XSetWMNormalHints(display_, window_, hints);
        XFree(hints);
        XClassHint* classHint = XAllocClassHint();
        char name[] = "vora";
        classHint->res_name = name;
        classHint->res_class = name;
        XSetClassHint(display_, window_, classHint);
        XFree(classHint);
        deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &deleteWindow_, 1);
        gc_ = XCreateGC(display_, window_, 0, nullptr);
        image_ = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                              static_cast<unsigned>(framebuffer_->width), static_cast<unsigned>(framebuffer_->height),
                              32, framebuffer_->width * 4);
        image_->byte_order = LSBFirst; // our pixels are 32-bit words in host (little-endian) order
        setTitle(setup.title);
        if (topmost_)
        {
            Atom state = XInternAtom(display_, "_NET_WM_STATE", False);
            Atom above = XInternAtom(display_, "_NET_WM_STATE_ABOVE", False);
            XChangeProperty(display_, window_, state, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&above), 1);
        }
        XFlush(display_);
    }

    ~X11Presenter() override
    {
        image_->data = nullptr; // the pixels belong to the framebuffer
        XDestroyImage(image_);
        XFreeGC(display_, gc_);
        XDestroyWindow(display_, window_);
        XFreeColormap(display_, colormap_);
        XCloseDisplay(display_);
    }

    int connectionFd() const override { return ConnectionNumber(display_); }

    void processEvents() override
    {
        XFlush(display_);
        while (XPending(display_) > 0)
        {
            XEvent event;
            XNextEvent(display_, &event);
            handle(event);
        }
    }

    void present(const RECT& area) override
    {
        if (!mapped_)
        {
            return;
        }
        RECT r = intersectionWithFrame(area);
        if (r.right <= r.left || r.bottom <= r.top)
        {
            return;
        }
        image_->data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(framebuffer_->pixels.data()));
        XPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, static_cast<unsigned>(r.right - r.left),
                  static_cast<unsigned>(r.bottom - r.top));
        XFlush(display_);
    }

    void setVisible(bool visible) override
    {
        if (visible)
        {
            XMapWindow(display_, window_);
        }
        else
        {
            XUnmapWindow(display_, window_);
            mapped_ = false;
            exposed_ = false;
        }
        XFlush(display_);
    }

    void setTopmost(bool topmost) override
    {
        topmost_ = topmost;
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = window_;
        e.xclient.message_type = XInternAtom(display_, "_NET_WM_STATE", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = topmost ? 1 : 0; // add or remove
        e.xclient.data.l[1] = static_cast<long>(XInternAtom(display_, "_NET_WM_STATE_ABOVE", False));
        e.xclient.data.l[3] = 1; // from an application
        XSendEvent(display_, DefaultRootWindow(display_), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &e);
        XFlush(display_);
    }

    void move(int x, int y) override
    {
        XMoveWindow(display_, window_, x, y);
        XFlush(display_);
    }

    void setTitle(const std::wstring& title) override
    {
        std::string utf8 = utf8FromUnits(title);
        XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                        XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
        XStoreName(display_, window_, utf8.c_str());
        XFlush(display_);
    }

    bool exposed() const override { return exposed_; }

    std::optional<Image> capture() override
    {
        XSync(display_, False);
        XImage* shot = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(framebuffer_->width),
                                 static_cast<unsigned>(framebuffer_->height), AllPlanes, ZPixmap);
        if (shot == nullptr)
        {
            return std::nullopt;
        }
        Image out(framebuffer_->width, framebuffer_->height);
        for (int y = 0; y < out.height; ++y)
        {
            for (int x = 0; x < out.width; ++x)
            {
                out.at(x, y) = static_cast<std::uint32_t>(XGetPixel(shot, x, y)) & 0xFFFFFF;
            }
        }
        XDestroyImage(shot);
        return out;
    }

    bool sendClick(POINT p) override
    {
        // A second connection, so the click arrives like one from outside.
        Display* other = XOpenDisplay(nullptr);
        if (other == nullptr)
        {
            return false;
        }
        for (int type : {ButtonPress, ButtonRelease})
        {
            XEvent e{};
            e.xbutton.type = type;
            e.xbutton.display = other;
            e.xbutton.window = window_;
            e.xbutton.root = DefaultRootWindow(other);
            e.xbutton.x = p.x;
            e.xbutton.y = p.y;
            e.xbutton.button = Button1;
            e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
            e.xbutton.same_screen = True;
            XSendEvent(other, window_, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
        }
        XSync(other, False);
        XCloseDisplay(other);
        return true;
    }

private:
    RECT intersectionWithFrame(const RECT& r) const
    {
        return RECT{std::max(r.left, 0), std::max(r.top, 0), std::min<LONG>(r.right, framebuffer_->width),
                    std::min<LONG>(r.bottom, framebuffer_->height)};
    }

    void input(InputKind kind, POINT point, int wheel, WPARAM key, WCHAR character)
    {
        injectInput(InputEvent{kind, hwnd_, point, wheel, key, character});
    }

    void handle(XEvent& event)
    {
        switch (event.type)
        {
        case MapNotify:
            mapped_ = true;
            if (topmost_)
            {
                setTopmost(true);
            }
            break;
        case UnmapNotify:
            mapped_ = false;
            break;
        case Expose:
            mapped_ = true;
            exposed_ = true;
            present(RECT{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                         event.xexpose.y + event.xexpose.height});
            break;
        case ButtonPress:
        case ButtonRelease: {
            POINT p{event.xbutton.x, event.xbutton.y};
            bool press = event.type == ButtonPress;
            if (event.xbutton.button == Button1)
            {
                input(press ? InputKind::ButtonDown : InputKind::ButtonUp, p, 0, 0, 0);
            }
            else if (press && (event.xbutton.button == Button4 || event.xbutton.button == Button5))
            {
                input(InputKind::Wheel, p, event.xbutton.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA, 0, 0);
            }
            break;
        }
        case KeyPress:
        case KeyRelease: {
            WPARAM key = 0;
            WCHAR character = 0;
            if (translateKey(event.xkey, key, character))
            {
                bool press = event.type == KeyPress;
                input(press ? InputKind::KeyDown : InputKind::KeyUp, POINT{0, 0}, 0, key, press ? character : 0);
            }
            break;
        }
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_)
            {
                PostMessageW(hwnd_, WM_CLOSE, 0, 0);
            }
            break;
        default:
            break;
        }
    }

    Display* display_;
    HWND hwnd_;
    std::shared_ptr<const Image> framebuffer_;
    bool topmost_;
    ::Window window_ = 0;
    Colormap colormap_ = 0;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    Atom deleteWindow_ = 0;
    bool mapped_ = false;
    bool exposed_ = false;
};

} // namespace

std::unique_ptr<Presenter> openX11Presenter(const PresenterSetup& setup)
{
    static std::once_flag threadsInit;
    std::call_once(threadsInit, [] { XInitThreads(); });
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
    {
        return nullptr;
    }
    XVisualInfo info{};
    if (!XMatchVisualInfo(display, DefaultScreen(display), 24, TrueColor, &info) || info.red_mask != 0xFF0000 ||
        info.green_mask != 0x00FF00 || info.blue_mask != 0x0000FF)
    {
        std::fputs("vora: the display has no 24-bit TrueColor visual; staying headless\n", stderr);
        XCloseDisplay(display);
        return nullptr;
    }
    return std::make_unique<X11Presenter>(display, info.visual, info.depth, setup);
}

} // namespace ovr::win

#else

namespace ovr::win
{
std::unique_ptr<Presenter> openX11Presenter(const PresenterSetup&) { return nullptr; }
} // namespace ovr::win

#endif
