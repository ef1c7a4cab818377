#pragma once

#include "TempHome.h"

#include <random>
#include <string>
#include <vector>

namespace threadhop::testing {

/// Random transcript lines for the tests that compare the rewriter with a reference: objects nested a
/// few deep whose members name the old directory /a/b in every spelling, with now and then a line
/// that is no object, is torn or is not UTF-8.
class RandomLines {
    std::mt19937 m_random;

    const std::string& pick(const std::vector<std::string>& list) { return list[m_random() % list.size()]; }

public:
    explicit RandomLines(unsigned seed) : m_random(seed) { }

    std::string line()
    {
        switch (m_random() % 40) {
        case 0:
            return "not json " + pick(m_values);
        case 1:
            return "{\"cwd\":\"" + pick(m_values) + "\""; // torn
        case 2:
            return "{\"cwd\":\"/a/b\",\"t\":\"caf\xC3\"}"; // not UTF-8
        case 3:
            return "[\"/a/b\",{\"cwd\":\"/a/b\"}]"; // not an object
        default:
            return object(0);
        }
    }

    /// `count` lines, now and then ended by CR LF or followed by a blank line.
    std::string text(int count)
    {
        std::string content;
        for (int i = 0; i < count; ++i)
            content += line() + (m_random() % 17 ? "\n" : "\r\n") + (m_random() % 30 ? "" : "\n");
        return content;
    }

private:
    std::string value(int depth)
    {
        switch (m_random() % (depth < 3 ? 7 : 4)) {
        case 0:
            return "null";
        case 1:
            return pick(m_numbers);
        case 2:
        case 3:
            return "\"" + pick(m_values) + "\"";
        case 4:
        case 5:
            return object(depth + 1);
        default: {
            std::string array = "[";
            for (int i = 0, n = static_cast<int>(m_random() % 4); i < n; ++i)
                array += (i ? "," : "") + value(depth + 1);
            return array + "]";
        }
        }
    }

    std::string object(int depth)
    {
        std::string text = "{";
        for (int i = 0, n = 1 + static_cast<int>(m_random() % 5); i < n; ++i)
            text += std::string(i ? (m_random() % 4 ? "," : " , ") : "") + "\"" + pick(m_keys) + "\""
                + (m_random() % 5 ? ":" : " :\t") + value(depth);
        return text + "}";
    }

    // A key naming the directory is never counted, and must not hide the values after it.
    const std::vector<std::string> m_keys{"cwd",     "cwd",     "text", "type",  "snapshot", "trackedFileBackups",
                                          "message", "content", "x",    "/a/b/k"};
    const std::vector<std::string> m_values{"/a/b",        "/a/b/",
                                            "/a/b/src",    "/a/bc",
                                            "/a/b-2",      "/a/b_x",
                                            "/a/b.txt",    "/a/bé",
                                            "/z/a/b",      "/a/b/a/b",
                                            "\\/a\\/b",    "\\u002fa\\u002fb\\/c",
                                            "/a\\u002fb",  "cd /a/b && ls /a/b/x",
                                            "/a/b\\\"q",   "",
                                            "relative",    "file-history-snapshot",
                                            "/other/x",    "\\uD83D /a/b",
                                            "/a/b\\u00e9", "/a/b\\n"};
    const std::vector<std::string> m_numbers{"1",     "-0.5e3", "1.50e3", "-0.0", "123456789012345678901234567890",
                                             "1e400", "true"};
};

} // namespace threadhop::testing
