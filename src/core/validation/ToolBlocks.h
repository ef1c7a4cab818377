#pragma once

#include <algorithm>
#include <string_view>

#include <simdjson.h>

// The tool calls and results of a transcript line, as every reader of them takes them.
namespace threadhop::ToolBlocks {

/// Calls `onCall(id)` for each "tool_use" block with a string "id" and `onResult(id)` for each
/// "tool_result" block with a string "tool_use_id", in order, when `message` has a "content" that
/// is an array of objects only; a string content, or an array holding anything else, has none.
/// The ids point into the parser's document: copy them to keep them past the next parse.
template <typename OnCall, typename OnResult>
void forEach(simdjson::dom::object message, OnCall onCall, OnResult onResult)
{
    simdjson::dom::array content;
    if (message.at_key("content").get_array().get(content) != simdjson::SUCCESS)
        return;
    if (!std::all_of(content.begin(), content.end(), [](simdjson::dom::element block) { return block.is_object(); }))
        return;
    for (const auto block : content) {
        std::string_view type;
        std::string_view id;
        if (block["type"].get_string().get(type) != simdjson::SUCCESS)
            continue;
        if (type == "tool_use" && block["id"].get_string().get(id) == simdjson::SUCCESS)
            onCall(id);
        else if (type == "tool_result" && block["tool_use_id"].get_string().get(id) == simdjson::SUCCESS)
            onResult(id);
    }
}

} // namespace threadhop::ToolBlocks
