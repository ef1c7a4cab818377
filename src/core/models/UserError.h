#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace threadhop {

/// The base of every error a user can see: what() is the complete sentence shown as it stands;
/// text(), count() and names() give the case's payload (empty or 0 where a case carries none).
/// Each error type adds its own kind().
class UserError : public std::exception {
public:
    const char* what() const noexcept override { return m_description.c_str(); }

    /// The path, detail or reason the error carries.
    const std::string& text() const { return m_text; }
    /// The number the error carries (references left, unanswered calls).
    std::int64_t count() const { return m_count; }
    /// The names the error lists.
    const std::vector<std::string>& names() const { return m_names; }

    /// What a user is shown for any error: a UserError's sentence; for a file-system or system
    /// error, the operating system's own wording (its strerror text, without the library's
    /// decoration), for a file-system error followed by " in " and the folder it concerns (never a
    /// temporary file's name): for a move refused for want of permission, the folder that refused
    /// it; for any other exception, its message.
    static std::string describe(const std::exception& error);

    /// `text` ending in a full stop, unless it ends a sentence already (or is empty).
    static std::string asSentence(std::string text);

    /// Names joined with ", ", as messages list them.
    static std::string listed(const std::vector<std::string>& names);

protected:
    UserError(std::string description, std::string text = {}, std::int64_t count = 0,
              std::vector<std::string> names = {});

    bool samePayload(const UserError& other) const
    {
        return m_text == other.m_text && m_count == other.m_count && m_names == other.m_names;
    }

private:
    std::string m_description;
    std::string m_text;
    std::int64_t m_count = 0;
    std::vector<std::string> m_names;
};

} // namespace threadhop
