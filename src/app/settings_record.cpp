#include "app/settings_record.h"

#include <algorithm>
#include <cstring>

namespace plivora {

namespace {

template <std::size_t N>
void assignFixed(std::array<char, N>& field, const std::string& text) {
    field.fill(' ');
    std::memcpy(field.data(), text.data(), std::min(N, text.size()));
}

void putInt32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(u >> (8 * i));
    }
}

std::int32_t getInt32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) {
        u |= static_cast<std::uint32_t>(bytes[at + static_cast<std::size_t>(i)]) << (8 * i);
    }
    return static_cast<std::int32_t>(u);
}

}  // namespace

std::string trimSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

void SettingsRecord::setSection(const std::string& text) {
    assignFixed(section, text);
}
void SettingsRecord::setValue(const std::string& text) {
    assignFixed(value, text);
}

std::string SettingsRecord::trimmedSection() const {
    return trimSpaces(std::string(section.data(), section.size()));
}

std::string SettingsRecord::trimmedValue() const {
    return trimSpaces(std::string(value.data(), value.size()));
}

std::vector<std::uint8_t> SettingsRecord::toBytes() const {
    std::vector<std::uint8_t> bytes(kLength, 0);
    std::memcpy(bytes.data(), section.data(), kSectionLength);
    putInt32(bytes, 17, top);
    putInt32(bytes, 21, left);
    std::memcpy(bytes.data() + 25, value.data(), kValueLength);
    return bytes;
}

SettingsRecord SettingsRecord::fromBytes(const std::vector<std::uint8_t>& bytes) {
    SettingsRecord record;
    if (bytes.size() < static_cast<std::size_t>(kLength)) {
        return record;
    }
    std::memcpy(record.section.data(), bytes.data(), kSectionLength);
    record.top = getInt32(bytes, 17);
    record.left = getInt32(bytes, 21);
    std::memcpy(record.value.data(), bytes.data() + 25, kValueLength);
    return record;
}

}  // namespace plivora
