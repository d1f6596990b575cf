// Cursors: the stock cursors, the cursor a window sets on WM_SETCURSOR and the
// application-wide override (the busy hourglass). The cursor shown is one for the whole
// application, defined on every top-level window at once.
#include "platform/win/system.h"

using namespace winsys;

namespace {

// X font cursor glyphs (X11/cursorfont.h) for the stock cursors. Shared by every window
// system and never changed: a cursor handle stays valid before one opens and after it goes.
CursorObj g_cursors[] = {
    {32512, 68},  {32513, 152}, {32514, 150}, {32515, 34},  {32516, 114},
    {32642, 14},  {32643, 12},  {32644, 108}, {32645, 116}, {32646, 52},
    {32648, 24},  {32649, 60},  {32650, 150}, {32651, 92},
};

}  // namespace

namespace winsys {

void ApplyCursor(System& s) {
  HCURSOR shown = s.cursors.override ? s.cursors.override : s.cursors.current;
  for (Window* t : s.tops) {
    if (t->shownCursor == shown && t->native) continue;
    t->shownCursor = shown;
    s.backend->DefineCursor(t, shown);
  }
}

}  // namespace winsys

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance || !IS_INTRESOURCE(name)) return nullptr;
  int id = int(reinterpret_cast<std::uintptr_t>(name));
  for (CursorObj& c : g_cursors)
    if (c.id == id) return &c;
  return nullptr;
}

int CursorId(HCURSOR cursor) { return cursor ? cursor->id : 0; }

HCURSOR SetCursor(HCURSOR cursor) {
  System* s = Current();
  if (!s) return nullptr;
  HCURSOR old = s->cursors.current;
  s->cursors.current = cursor;
  ApplyCursor(*s);
  return old;
}

HCURSOR SetOverrideCursor(HCURSOR cursor) {
  System* s = Current();
  if (!s) return nullptr;
  HCURSOR old = s->cursors.override;
  s->cursors.override = cursor;
  ApplyCursor(*s);
  return old;
}

HCURSOR GetOverrideCursor() {
  System* s = Current();
  return s ? s->cursors.override : nullptr;
}
