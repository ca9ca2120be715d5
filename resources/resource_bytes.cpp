#include "resources/resource_bytes.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

namespace plivora {

std::string resourceBytes(const std::string& name) {
    QFile file(QStringLiteral(":/pictures/") + QString::fromStdString(name));
    if (!file.open(QIODevice::ReadOnly)) {
        builtInPictureFault(name, "is not compiled in");
        return {};
    }
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void builtInPictureFault(const std::string& name, const char* fault) {
    std::fprintf(stderr, "plivora: the built-in picture \"%s\" %s\n", name.c_str(), fault);
#ifndef NDEBUG
    std::abort();
#endif
}

}  // namespace plivora
