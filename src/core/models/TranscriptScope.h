#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace threadhop {

/// How much of a transcript an account move copies: all of it, or only its last n lines.
class TranscriptScope final {
public:
    /// The whole transcript; also what a default-constructed scope is.
    TranscriptScope() = default;

    static TranscriptScope full() { return {}; }
    static TranscriptScope trimmed(std::int64_t messages) { return TranscriptScope(messages); }

    bool isTrimmed() const { return m_messages.has_value(); }
    /// The n of a trimmed scope; nothing for the full one.
    std::optional<std::int64_t> messages() const { return m_messages; }

    /// "Full", or "Last <n> messages" (no singular form).
    std::string label() const { return m_messages ? "Last " + std::to_string(*m_messages) + " messages" : "Full"; }

    bool operator==(const TranscriptScope&) const = default;

private:
    explicit TranscriptScope(std::int64_t messages) : m_messages(messages) { }

    std::optional<std::int64_t> m_messages;
};

} // namespace threadhop
