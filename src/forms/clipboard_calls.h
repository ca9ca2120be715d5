#pragma once

#include "forms/window_calls.h"
#include "win/global_memory.h"

namespace plivora {

class Host;

inline constexpr unsigned CF_TEXT = 1;
inline constexpr unsigned CF_HDROP = 15;

// The clipboard calls over the host's clipboard. The clipboard is open between OpenClipboard and
// CloseClipboard; the other calls fail while it is closed.
long OpenClipboard(Host& host, HWND owner);
long EmptyClipboard(Host& host);
// Hands the block to the clipboard; returns the block, or null when it is refused.
HGLOBAL SetClipboardData(Host& host, unsigned format, const HGLOBAL& block);
long CloseClipboard(Host& host);

}  // namespace plivora
