#include "resource_bytes.h"

#include <QFile>

namespace plivora {

std::string resourceBytes(const std::string& name) {
    QFile file(QStringLiteral(":/pictures/") + QString::fromStdString(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace plivora
