#pragma once

#include <string>
#include <vector>

#include "forms/control.h"
#include "picture/image_scale.h"
#include "picture/picture.h"
#include "win/image.h"

namespace plivora {

// Pictures kept under text keys, each made into an icon of the list's image size when it is added:
// the picture fitted into that size keeping its shape and centred, the rest of the icon
// transparent, so that a list showing it paints its own background there. Icons are made at the
// host's device size, so that the image size stays in logical pixels. Adding a key that is already
// there fails with error 35602.
class ImageList : public Control {
public:
    struct Entry {
        std::string key;
        Image image;  // deviceImageSize(): imageWidth x imageHeight at the device pixel ratio
    };

    ImageList(Form& form, std::string name);

    int imageWidth() const { return m_imageWidth; }
    int imageHeight() const { return m_imageHeight; }
    void setImageWidth(int pixels) { m_imageWidth = pixels; }
    void setImageHeight(int pixels) { m_imageHeight = pixels; }

    // The size in device pixels of the icons this list makes.
    PixelSize deviceImageSize() const;
    // The icon this list makes of `picture` (one icon can then go into several lists of the same
    // image size through addImage). Throws 481 for a null picture.
    Image makeIcon(const Picture& picture) const;

    void add(const std::string& key, const Picture& picture);
    // Adds an icon of deviceImageSize() as it is; pixels of another size are fitted as add fits a
    // picture.
    void addImage(const std::string& key, Image image);
    bool contains(const std::string& key) const;
    const Entry* find(const std::string& key) const;
    void clear();
    int count() const { return static_cast<int>(m_entries.size()); }
    // Changes with every clear. A key is never given another picture while it is in the
    // list, so until this changes a view may keep the icons it made.
    int clearCount() const { return m_clearCount; }

private:
    std::vector<Entry> m_entries;
    int m_imageWidth = 16;
    int m_imageHeight = 16;
    int m_clearCount = 0;
};

}  // namespace plivora
