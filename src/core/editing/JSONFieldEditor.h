#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Edits chosen string fields of one transcript line as text: everything else on the line (key
// order, spacing, escapes, number formats) stays exactly as it was written.
namespace threadhop::JSONFieldEditor {

/// The keys whose string values may be edited.
class KeySet final {
public:
    KeySet() = default;
    KeySet(std::initializer_list<std::string_view> keys);
    explicit KeySet(const std::vector<std::string>& keys);

    bool contains(std::string_view key) const;
    bool empty() const { return m_keys.empty(); }
    std::size_t longestKey() const { return m_longest; }
    /// The distinct first bytes of the keys: a quote followed by any other byte opens no key.
    std::string_view firstBytes() const { return m_firstBytes; }

private:
    void add(std::string_view key);

    std::vector<std::string> m_keys;
    std::string m_firstBytes;
    std::size_t m_longest = 0;
};

/// Given a key and the field's raw value (the text between its quotes, escapes as written),
/// the replacement raw text, inserted verbatim, or nothing to leave the field as it is. The view
/// must stay valid until the transform is called again (no allocation per field: a line may hold
/// thousands of them).
using Transform = std::function<std::optional<std::string_view>(std::string_view key, std::string_view raw)>;

/// The line with every matched field passed through `transform`, in line order, once each.
/// A field matches where a quoted key of `keys`, blanks, a colon, blanks and a string value
/// follow each other, at any depth; a quote preceded by a backslash is never a key's quote.
/// Never fails: a line it cannot read as such fields comes back unchanged.
std::string replaceStringFields(std::string_view in, const KeySet& keys, const Transform& transform);

/// The same, appending the edited line to `out` (no allocation per line in a loop).
void appendReplacingStringFields(std::string_view in, const KeySet& keys, const Transform& transform, std::string& out);

} // namespace threadhop::JSONFieldEditor
