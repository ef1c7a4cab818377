#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace threadhop {

/// A JSON value built in memory to be written by JsonWriter. Object members are kept sorted
/// by key (byte order), which is the order our files are written in.
class JsonValue final {
public:
    using Array = std::vector<JsonValue>;
    using Object = std::map<std::string, JsonValue>;
    using Storage = std::variant<std::nullptr_t, bool, std::int64_t, std::string, Array, Object>;

    JsonValue() : m_storage(nullptr) {}
    JsonValue(bool value) : m_storage(value) {}
    JsonValue(std::int64_t value) : m_storage(value) {}
    JsonValue(std::string value) : m_storage(std::move(value)) {}
    JsonValue(const char* value) : m_storage(std::string(value)) {}
    JsonValue(Array value) : m_storage(std::move(value)) {}
    JsonValue(Object value) : m_storage(std::move(value)) {}

    const Storage& storage() const { return m_storage; }

private:
    Storage m_storage;
};

} // namespace threadhop
