#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plivora {

// One 55-byte record of the settings file "qeliv.ini": a 17-byte section text, top and left as
// little-endian 32-bit integers, and a 30-byte value text. A fresh record is all zero bytes;
// assigning a text fills its field with spaces after the text and cuts a longer text.
struct SettingsRecord {
    static constexpr int kLength = 55;
    static constexpr int kSectionLength = 17;
    static constexpr int kValueLength = 30;

    std::array<char, kSectionLength> section{};
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::array<char, kValueLength> value{};

    void setSection(const std::string& text);
    void setValue(const std::string& text);
    // The field's text with leading and trailing spaces removed (only spaces: zero bytes stay).
    std::string trimmedSection() const;
    std::string trimmedValue() const;

    std::vector<std::uint8_t> toBytes() const;
    static SettingsRecord fromBytes(const std::vector<std::uint8_t>& bytes);
};

// Removes leading and trailing spaces (not other white space).
std::string trimSpaces(const std::string& text);

inline constexpr const char* kSettingsFileName = "qeliv.ini";

}  // namespace plivora
