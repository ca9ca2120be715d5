#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "picture/picture.h"

namespace plivora {

// The design data of a control in its host window: named values in the order they were written.
// A control writes only the values that differ from their defaults and reads each with its
// default.
class PropertyBag {
public:
    using Value = std::variant<std::int32_t, std::string, Picture>;

    void WriteProperty(const std::string& name, const Value& value, const Value& defaultValue) {
        if (value == defaultValue) {
            return;
        }
        m_entries.emplace_back(name, value);
    }

    template <typename T>
    T ReadProperty(const std::string& name, const T& defaultValue) const {
        for (const auto& [key, value] : m_entries) {
            if (key == name && std::holds_alternative<T>(value)) {
                return std::get<T>(value);
            }
        }
        return defaultValue;
    }

    const std::vector<std::pair<std::string, Value>>& entries() const { return m_entries; }
    void clear() { m_entries.clear(); }

private:
    std::vector<std::pair<std::string, Value>> m_entries;
};

}  // namespace plivora
