#include "app/resource_picture.h"

#include "picture/picture_loader.h"
#include "resources/resource_bytes.h"
#include "win/error.h"

namespace plivora {

Picture resourcePicture(const std::string& name) {
    const std::string bytes = resourceBytes(name);
    if (bytes.empty()) {
        return {};
    }
    try {
        return loadPictureFromBytes(bytes);
    } catch (const Error& error) {
        builtInPictureFault(name, ("cannot be decoded: " + error.description()).c_str());
        return {};
    }
}

}  // namespace plivora
