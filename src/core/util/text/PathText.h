#pragma once

#include <string>
#include <string_view>

// Paths handled as plain text: the store compares folders as exact, case-sensitive strings.
namespace threadhop::PathText {

/// Lexically normal form: "." and ".." resolved, repeated "/" collapsed, trailing "/" removed.
/// Links are not resolved, so equal texts always give equal keys. "/.." stays "/".
std::string standardized(std::string_view path);

/// The last component, a trailing "/" ignored; "/" for the root, "" for "".
std::string_view lastComponent(std::string_view path);

/// True when `path` equals `directory` or begins with it followed by "/".
bool isAtOrBelow(std::string_view path, std::string_view directory);

/// True for one entry of a folder, as the system names folders and entries: not empty, not "."
/// or "..", and holding no "/" and no NUL. Anything else read from a file could reach outside
/// the folder it is joined to.
bool isPlainName(std::string_view name);

/// True for a path below a folder made of plain names only ("a/subagents/b.jsonl"): it stays below
/// the folder it is joined to.
bool isPlainRelativePath(std::string_view path);

/// A leading "~" replaced by the home folder's path ("~/x" gives "<home>/x", "~x" gives "<home>x").
std::string expandTilde(std::string_view path);

} // namespace threadhop::PathText
