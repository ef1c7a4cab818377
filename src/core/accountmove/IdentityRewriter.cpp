#include "IdentityRewriter.h"

#include "core/editing/JSONFieldEditor.h"
#include "core/util/format/JSONParser.h"
#include "core/util/format/Uuid.h"
#include "core/util/fs/AtomicFile.h"
#include "core/util/fs/ReadBuffer.h"
#include "core/util/text/LineFeedPieces.h"
#include "core/validation/TranscriptLines.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace threadhop {
namespace {

namespace fs = std::filesystem;

bool isIdentityKey(std::string_view key)
{
    return std::find(IdentityRewriter::identityKeys.begin(), IdentityRewriter::identityKeys.end(), key)
        != IdentityRewriter::identityKeys.end();
}

JSONFieldEditor::KeySet editedKeys()
{
    std::vector<std::string> keys(IdentityRewriter::identityKeys.begin(), IdentityRewriter::identityKeys.end());
    keys.emplace_back("teamName");
    return JSONFieldEditor::KeySet(keys);
}

} // namespace

bool IdentityRewriter::isUUID(std::string_view s)
{
    return Uuid::parse(s).has_value();
}

void IdentityRewriter::collect(simdjson::dom::element value, std::optional<std::string_view> key, ValueSet& into)
{
    // Recursion depth is bounded by the parser's own nesting limit.
    switch (value.type()) {
    case simdjson::dom::element_type::OBJECT: {
        const simdjson::dom::object object = value.get_object().value_unsafe();
        for (const auto field : object)
            collect(field.value, field.key, into);
        break;
    }
    case simdjson::dom::element_type::ARRAY: {
        const simdjson::dom::array elements = value.get_array().value_unsafe();
        for (const auto element : elements)
            collect(element, key, into);
        break;
    }
    case simdjson::dom::element_type::STRING: {
        // The shape test first: it rejects nearly every string by its length alone.
        const std::string_view text = value.get_string().value_unsafe();
        if (!isUUID(text) || !key || !isIdentityKey(*key))
            break;
        // Most values repeat from line to line: look before making a string of one.
        if (const auto at = into.lower_bound(text); at == into.end() || *at != text)
            into.emplace_hint(at, text);
        break;
    }
    default:
        break;
    }
}

std::vector<fs::path> IdentityRewriter::identityFiles(const std::vector<fs::path>& files)
{
    std::vector<fs::path> result;
    std::copy_if(files.begin(), files.end(), std::back_inserter(result), [](const fs::path& file) {
        return file.extension() == ".jsonl" || file.filename().native().ends_with(".meta.json");
    });
    return result;
}

void IdentityRewriter::collectFromText(std::string_view text, ValueSet& into)
{
    JSONParser parser;
    TranscriptLines::forEach(text, [&](std::string_view line) {
        simdjson::dom::element element;
        if (parser.parseWithin(text, line).get(element) == simdjson::SUCCESS)
            collect(element, std::nullopt, into);
    });
}

IdentityRewriter::ValueSet IdentityRewriter::identityValues(const std::vector<fs::path>& files)
{
    ReadBuffer buffer;
    ValueSet values;
    for (const auto& file : files) {
        if (buffer.load(file))
            collectFromText(buffer.content(), values);
    }
    return values;
}

IdentityRewriter::Plan IdentityRewriter::planFor(const ValueSet& values, std::string_view oldSessionId,
                                                 std::string_view newSessionId)
{
    Plan plan{.oldSessionId = std::string(oldSessionId), .newSessionId = std::string(newSessionId)};
    plan.mapping.emplace(oldSessionId, newSessionId);
    for (const auto& value : values) {
        if (value != oldSessionId)
            plan.mapping.emplace(value, Uuid::random().lowerText());
    }
    return plan;
}

IdentityRewriter::Plan IdentityRewriter::buildPlan(const std::vector<fs::path>& files, std::string_view oldSessionId,
                                                   std::string_view newSessionId)
{
    return planFor(identityValues(files), oldSessionId, newSessionId);
}

IdentityRewriter::TextEditor::TextEditor(const Plan& plan)
    : m_oldTeam("session-" + plan.oldSessionId.substr(0, 8)), m_newTeam("session-" + plan.newSessionId.substr(0, 8))
{
    // Every identity field of every line is looked up: a hash index beats the ordered map.
    m_index.reserve(plan.mapping.size());
    for (const auto& [from, to] : plan.mapping)
        m_index.emplace(from, to);
}

void IdentityRewriter::TextEditor::edit(std::string_view text, const std::function<void(std::string_view)>& write)
{
    static const JSONFieldEditor::KeySet keys = editedKeys();
    if (m_index.empty()) {
        write(text);
        return;
    }
    const JSONFieldEditor::Transform transform = [&](std::string_view key,
                                                     std::string_view raw) -> std::optional<std::string_view> {
        if (key == "teamName") {
            if (raw != m_oldTeam)
                return std::nullopt;
            ++m_replaced;
            return m_newTeam;
        }
        const auto found = m_index.find(raw);
        if (found == m_index.end())
            return std::nullopt;
        ++m_replaced;
        return found->second;
    };
    // Piece by piece, so that a cut line cannot pull the quotes of the next line into one of its values.
    forEachLineFeedPiece(text, [&](std::string_view piece, bool last) {
        m_line.clear();
        JSONFieldEditor::appendReplacingStringFields(piece, keys, transform, m_line);
        if (!last)
            m_line += '\n';
        write(m_line);
    });
}

bool IdentityRewriter::TextEditor::edit(std::string_view text, std::string& out)
{
    out.clear();
    out.reserve(text.size());
    const std::int64_t before = m_replaced;
    edit(text, [&](std::string_view piece) { out.append(piece); });
    // A value replaced by itself changes nothing, but needs no 100 MB comparison to tell.
    return m_replaced != before;
}

std::int64_t IdentityRewriter::apply(const Plan& plan, const std::vector<fs::path>& files)
{
    TextEditor editor(plan);
    ReadBuffer buffer;
    std::string edited;
    for (const auto& file : files) {
        if (buffer.load(file) && editor.edit(buffer.content(), edited))
            AtomicFile::write(file, edited);
    }
    return editor.replaced();
}

} // namespace threadhop
