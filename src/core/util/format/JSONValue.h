#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace threadhop {

/// A JSON value built in memory to be written by JSONWriter. Object members are kept sorted
/// by key (byte order), which is the order our files are written in.
class JSONValue final {
public:
    using Array = std::vector<JSONValue>;
    using Object = std::map<std::string, JSONValue>;
    /// JSON text written as it is: a value read from a file that is written back unchanged.
    struct Verbatim {
        std::string json;
    };
    using Storage = std::variant<std::nullptr_t, bool, std::int64_t, std::string, Array, Object, Verbatim>;

    JSONValue() : m_storage(nullptr) { }
    JSONValue(bool value) : m_storage(value) { }
    JSONValue(std::int64_t value) : m_storage(value) { }
    JSONValue(std::string value) : m_storage(std::move(value)) { }
    JSONValue(const char* value) : m_storage(std::string(value)) { }
    JSONValue(Array value) : m_storage(std::move(value)) { }
    JSONValue(Object value) : m_storage(std::move(value)) { }
    JSONValue(Verbatim value) : m_storage(std::move(value)) { }

    const Storage& storage() const { return m_storage; }

private:
    Storage m_storage;
};

} // namespace threadhop
