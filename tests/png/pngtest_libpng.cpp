// libpng as the independent decoder the codec's tests compare with.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "pngtest_util.h"

namespace pngtest {

namespace {
struct ReadState {
  const Bytes* data;
  std::size_t pos;
};
void ReadFn(png_structp p, png_bytep out, png_size_t n) {
  auto* s = static_cast<ReadState*>(png_get_io_ptr(p));
  if (s->pos + n > s->data->size()) png_error(p, "read past end");
  std::memcpy(out, s->data->data() + s->pos, n);
  s->pos += n;
}
void ErrorFn(png_structp p, png_const_charp msg) {
  auto* err = static_cast<std::string*>(png_get_error_ptr(p));
  *err = msg;
  png_longjmp(p, 1);
}
void WarnFn(png_structp, png_const_charp) {}
}  // namespace

bool HaveLibpng() { return true; }

bool LibpngDecode(const Bytes& png, Rgba& out, std::string& error) {
  ReadState state{&png, 0};
  png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, ErrorFn, WarnFn);
  png_infop info = png_create_info_struct(p);
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(p))) {
    png_destroy_read_struct(&p, &info, nullptr);
    return false;
  }
  png_set_read_fn(p, &state, ReadFn);
  png_read_info(p, info);
  png_set_expand(p);
  png_set_strip_16(p);
  png_set_gray_to_rgb(p);
  png_set_add_alpha(p, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(p);
  png_read_update_info(p, info);
  out.width = png_get_image_width(p, info);
  out.height = png_get_image_height(p, info);
  out.px.assign(std::size_t(out.width) * out.height * 4, 0);
  rows.resize(out.height);
  for (std::uint32_t y = 0; y < out.height; ++y) rows[y] = out.px.data() + std::size_t(y) * out.width * 4;
  png_read_image(p, rows.data());
  png_read_end(p, nullptr);
  png_destroy_read_struct(&p, &info, nullptr);
  return true;
}

}  // namespace pngtest
