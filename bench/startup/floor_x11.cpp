// The floor for the launcher's start-up time: the least an Xlib program does to present
// one 658 x 478 frame through MIT-SHM. It opens the display, makes a shared-memory image
// with the launcher's main colours (button face, a white list, a grey selected item),
// maps a window, waits until it is exposed, puts the image and syncs.
//   bench_floor_x11 [hold-ms]   keeps the window up for hold-ms after presenting (default 0)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kWidth = 658, kHeight = 478;

void Fill(XImage* img, int left, int top, int right, int bottom, std::uint32_t rgb) {
  for (int y = top; y < bottom; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(img->data + std::size_t(y) * std::size_t(img->bytes_per_line));
    for (int x = left; x < right; ++x) row[x] = rgb;
  }
}
}  // namespace

int main(int argc, char** argv) {
  const int holdMs = argc > 1 ? std::atoi(argv[1]) : 0;
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    std::fprintf(stderr, "bench_floor_x11: cannot open the display\n");
    return 1;
  }
  if (!XShmQueryExtension(dpy)) {
    std::fprintf(stderr, "bench_floor_x11: the display has no MIT-SHM\n");
    return 1;
  }
  const int screen = DefaultScreen(dpy);
  Visual* visual = DefaultVisual(dpy, screen);
  const int depth = DefaultDepth(dpy, screen);

  XShmSegmentInfo shm{};
  XImage* img = XShmCreateImage(dpy, visual, unsigned(depth), ZPixmap, nullptr, &shm, kWidth, kHeight);
  shm.shmid = shmget(IPC_PRIVATE, std::size_t(img->bytes_per_line) * kHeight, IPC_CREAT | 0600);
  shm.shmaddr = img->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
  shm.readOnly = False;
  XShmAttach(dpy, &shm);
  shmctl(shm.shmid, IPC_RMID, nullptr);  // freed once both sides detach
  Fill(img, 0, 0, kWidth, kHeight, 0xF0F0F0);
  Fill(img, 186, 10, 648, 407, 0xFFFFFF);
  Fill(img, 186, 10, 648, 85, 0x808080);

  XSetWindowAttributes a{};
  a.background_pixmap = None;
  a.event_mask = ExposureMask | StructureNotifyMask;
  const Window win = XCreateWindow(dpy, RootWindow(dpy, screen), 183, 156, kWidth, kHeight, 0, depth, InputOutput,
                                   visual, CWBackPixmap | CWEventMask, &a);
  XStoreName(dpy, win, "Floor");
  GC gc = XCreateGC(dpy, win, 0, nullptr);
  XMapWindow(dpy, win);
  for (;;) {
    XEvent e;
    XNextEvent(dpy, &e);
    if (e.type == Expose) break;
  }
  XShmPutImage(dpy, win, gc, img, 0, 0, 0, 0, kWidth, kHeight, False);
  XSync(dpy, False);
  if (holdMs > 0) usleep(useconds_t(holdMs) * 1000u);

  XShmDetach(dpy, &shm);
  img->data = nullptr;  // shared memory, not the image's to free
  XDestroyImage(img);
  shmdt(shm.shmaddr);
  XFreeGC(dpy, gc);
  XDestroyWindow(dpy, win);
  XCloseDisplay(dpy);
  return 0;
}
