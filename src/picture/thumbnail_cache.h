#pragma once

#include <functional>
#include <string>

#include "picture/picture.h"

namespace plivora {

// The side in pixels that the thumbnails of the cache's "normal" folder fit into.
inline constexpr int kNormalThumbnailPx = 128;

// The desktop's shared thumbnail cache, as the freedesktop.org Thumbnail Managing Standard lays
// it out and as file managers read and write it: under the cache folder, "normal/", "large/" and
// "x-large/" hold PNG thumbnails of at most 128, 256 and 512 pixels named by the MD5 of the
// original file's URI, with the file's URI and modification time in PNG text keys; "fail/plivora/"
// remembers the files this program could not load. Entries hold sRGB pixels, as the standard asks;
// a picture taken from one is turned into the display's colours as a decoded one is.
//
// The thumbnail window takes its pictures through the cache. A picture with a valid thumbnail
// comes from the cache without being decoded; a picture that had to be decoded leaves its
// "normal" thumbnail behind. The cache only ever saves work: whatever goes wrong with it (a
// read-only or full disk, a damaged, foreign or outdated entry), the picture is decoded as it
// would be without a cache, and the page looks the same. The cache holds no state besides its
// folder and its loader, so several threads may use it at once.
class ThumbnailCache {
public:
    using Loader = std::function<Picture(const std::string& path)>;

    // `folder` is the cache's root, "$XDG_CACHE_HOME/thumbnails"; an empty folder turns the cache
    // off. `loader` decodes a picture file (LoadPicture; tests count its calls).
    explicit ThumbnailCache(std::string folder, Loader loader);

    const std::string& folder() const { return m_folder; }

    // The picture of the file at the absolute `path`, good enough to draw fitted into widthPx x
    // heightPx with its shape kept (fitSize). From a valid cache entry at least that large (or as
    // large as the picture), the picture has its natural size and the entry's pixels; its full
    // pixels are decoded from the file when something asks for them. Otherwise the loader decodes
    // the file, and its "normal" entry is written, or its failure entry when it is no picture.
    // Our own failure entry wins over any entry of another program: it gives Error 481 without a
    // decode. A file inside the cache folder is decoded and never cached. Throws the loader's
    // Error.
    Picture loadPicture(const std::string& path, int widthPx, int heightPx) const;

    // "file://" and the path made absolute and lexically normal, each byte outside the
    // characters a URI path may hold as they are (letters, digits, "-_.!~*'()" and "/&=:@+$,")
    // escaped as %XX with upper-case hex digits: the URI by which file managers name the file.
    static std::string fileUri(const std::string& path);
    // The name of a file's entries: the MD5 of its URI in lower-case hex, then ".png".
    static std::string entryName(const std::string& uri);

private:
    std::string m_folder;
    Loader m_loader;
};

// The thumbnail cache folder of the user: "$XDG_CACHE_HOME/thumbnails" when that variable holds
// an absolute path, otherwise "$HOME/.cache/thumbnails"; empty when neither is known.
std::string userThumbnailFolder();

}  // namespace plivora
