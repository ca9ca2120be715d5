#pragma once

namespace plivora {

class PictureDecoder;

// The decoders of icon and cursor files, whose directories differ only in their type word. Each
// checks that the file holds its whole directory (checkIconDirectory) before it reads anything
// else, then shows the entry chooseIconEntry picks: a bitmap entry decoded by decodeIconBitmap,
// or a PNG entry decoded by QtGui from the entry's bytes, whose pixels are taken as sRGB.
const PictureDecoder& iconDecoder();
const PictureDecoder& cursorDecoder();

}  // namespace plivora
