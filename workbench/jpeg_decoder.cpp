#include "workbench/jpeg_decoder.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE first
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <string>

#include "data/errors/errors.h"

namespace {

struct TErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

// libjpeg's default error exit ends the process; ours jumps back to the decoder instead.
[[noreturn]] void ErrorExit(j_common_ptr info) {
  auto* manager = reinterpret_cast<TErrorManager*>(info->err);
  info->err->format_message(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// Warnings mean corrupt or truncated data (libjpeg would pad the picture with grey).
void EmitMessage(j_common_ptr info, int level) {
  if (level < 0) ErrorExit(info);
}

struct TDecodeState {
  jpeg_decompress_struct info;
  TErrorManager error;
  bool created = false;
  QImage image;
};

// Kept free of C++ objects with destructors between setjmp and the jumps; all state lives
// in *state, which the jump leaves intact.
bool Decode(TDecodeState* state, const unsigned char* data, size_t size) {
  if (setjmp(state->error.jump)) return false;
  jpeg_create_decompress(&state->info);
  state->created = true;
  jpeg_mem_src(&state->info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&state->info, TRUE);
  state->info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&state->info);
  state->image = QImage(static_cast<int>(state->info.output_width),
                        static_cast<int>(state->info.output_height), QImage::Format_RGB888);
  if (state->image.isNull()) {
    std::snprintf(state->error.message, sizeof state->error.message, "Picture too large");
    return false;
  }
  while (state->info.output_scanline < state->info.output_height) {
    JSAMPROW row = state->image.scanLine(static_cast<int>(state->info.output_scanline));
    jpeg_read_scanlines(&state->info, &row, 1);
  }
  jpeg_finish_decompress(&state->info);
  return true;
}

}  // namespace

QImage DecodeJpeg(const unsigned char* data, size_t size) {
  TDecodeState state;
  state.info.err = jpeg_std_error(&state.error.base);
  state.error.base.error_exit = ErrorExit;
  state.error.base.emit_message = EmitMessage;
  state.error.message[0] = '\0';
  const bool decoded = Decode(&state, data, size);
  if (state.created) jpeg_destroy_decompress(&state.info);
  if (!decoded) {
    throw EConvertError(std::string("JPEG error: ") + state.error.message);
  }
  return state.image;
}
