#include "forms/clipboard_calls.h"

#include <string>

#include "forms/host.h"

namespace plivora {

long OpenClipboard(Host& host, HWND /*owner*/) {
    if (host.isClipboardOpen()) {
        return 0;
    }
    host.setClipboardOpen(true);
    return 1;
}

long EmptyClipboard(Host& host) {
    if (!host.isClipboardOpen()) {
        return 0;
    }
    host.clearClipboard();
    return 1;
}

HGLOBAL SetClipboardData(Host& host, unsigned format, const HGLOBAL& block) {
    if (!host.isClipboardOpen() || !block || block->locks != 0) {
        return nullptr;
    }
    if (format == CF_TEXT) {
        const auto& bytes = block->bytes;
        std::string text(bytes.begin(), bytes.end());
        text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
        host.setClipboardText(text);
    } else {
        host.setClipboardData(static_cast<int>(format), block->bytes);
    }
    return block;
}

long CloseClipboard(Host& host) {
    if (!host.isClipboardOpen()) {
        return 0;
    }
    host.setClipboardOpen(false);
    return 1;
}

}  // namespace plivora
