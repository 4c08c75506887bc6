#include "app/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <type_traits>

#include <jpeglib.h>

namespace holvex {

namespace {

// Everything that must survive a jump back from libjpeg's error handler lives here, in the caller's frame and
// reached through a pointer, so no local of the jumping function is read after the jump.
struct DecodeState;

// A C struct with the state pointer after it: standard layout, so libjpeg's pointer to the first member is a
// pointer to the whole.
struct ErrorManager {
    jpeg_error_mgr base;
    DecodeState* state;
};

static_assert(std::is_standard_layout_v<ErrorManager>);

struct DecodeState {
    ErrorManager errorManager{};
    std::jmp_buf jump{};
    jpeg_decompress_struct info{};
    bool created = false;
    JpegDecodeResult result;
};

QString messageOf(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, text);
    return QString::fromLocal8Bit(text);
}

DecodeState* stateOf(j_common_ptr info) {
    return reinterpret_cast<ErrorManager*>(info->err)->state;
}

// libjpeg's default ends the process; go back to the decoder instead.
[[noreturn]] void errorExit(j_common_ptr info) {
    DecodeState* state = stateOf(info);
    state->result.error = messageOf(info);
    std::longjmp(state->jump, 1);
}

// Warnings (level -1) are collected instead of printed; trace messages are ignored.
void emitMessage(j_common_ptr info, int level) {
    if (level < 0) {
        DecodeState* state = stateOf(info);
        ++state->result.warningCount;
        state->result.lastWarning = messageOf(info);
    }
}

void outputMessage(j_common_ptr) {}

// Returns true when the image was decoded. Contains the only setjmp; it touches nothing but the state.
bool runDecoder(DecodeState* state, const unsigned char* data, unsigned long size) {
    state->info.err = jpeg_std_error(&state->errorManager.base);
    state->errorManager.state = state;
    state->errorManager.base.error_exit = &errorExit;
    state->errorManager.base.emit_message = &emitMessage;
    state->errorManager.base.output_message = &outputMessage;
    if (setjmp(state->jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&state->info);
    state->created = true;
    jpeg_mem_src(&state->info, data, size);
    jpeg_read_header(&state->info, TRUE);
    if (state->info.image_width == 0 || state->info.image_height == 0 ||
        state->info.image_width > static_cast<JDIMENSION>(kMaxJpegSide) ||
        state->info.image_height > static_cast<JDIMENSION>(kMaxJpegSide)) {
        state->result.error = QStringLiteral("Picture size out of range");
        return false;
    }
    state->info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&state->info);
    if (state->info.output_components != 3) {
        state->result.error = QStringLiteral("Picture is not RGB");
        return false;
    }
    state->result.image = QImage(static_cast<int>(state->info.output_width),
                                 static_cast<int>(state->info.output_height), QImage::Format_RGB888);
    if (state->result.image.isNull()) {
        state->result.error = QStringLiteral("Not enough memory for the picture");
        return false;
    }
    while (state->info.output_scanline < state->info.output_height) {
        JSAMPROW row = state->result.image.scanLine(static_cast<int>(state->info.output_scanline));
        jpeg_read_scanlines(&state->info, &row, 1);
    }
    jpeg_finish_decompress(&state->info);
    return true;
}

} // namespace

JpegDecodeResult decodeJpeg(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        JpegDecodeResult empty;
        empty.error = QStringLiteral("No picture data");
        return empty;
    }
    DecodeState state;
    const bool decoded = runDecoder(&state, reinterpret_cast<const unsigned char*>(bytes.constData()),
                                    static_cast<unsigned long>(bytes.size()));
    if (state.created) {
        jpeg_destroy_decompress(&state.info);
    }
    if (!decoded) {
        state.result.image = QImage();
        if (state.result.error.isEmpty()) {
            state.result.error = QStringLiteral("Picture could not be decoded");
        }
    }
    return state.result;
}

} // namespace holvex
