#pragma once

#include <string>
#include <vector>

#include "forms/control.h"
#include "win/image.h"
#include "win/picture.h"

namespace plivora {

// Pictures kept under text keys, each scaled to the list's image size when it is added. Adding a
// key that is already there fails with error 35602.
class ImageList : public Control {
public:
    struct Entry {
        std::string key;
        Image image;  // imageWidth x imageHeight pixels
    };

    ImageList(Form& form, std::string name);

    int imageWidth() const { return m_imageWidth; }
    int imageHeight() const { return m_imageHeight; }
    void setImageWidth(int pixels) { m_imageWidth = pixels; }
    void setImageHeight(int pixels) { m_imageHeight = pixels; }

    void add(const std::string& key, const Picture& picture);
    bool contains(const std::string& key) const;
    const Entry* find(const std::string& key) const;
    void clear();
    int count() const { return static_cast<int>(m_entries.size()); }
    // Changes with every add or clear, so views know when to refresh their icons.
    int revision() const { return m_revision; }

private:
    std::vector<Entry> m_entries;
    int m_imageWidth = 16;
    int m_imageHeight = 16;
    int m_revision = 0;
};

}  // namespace plivora
