#pragma once

#include "core/models/ClaudeAccount.h"
#include "core/models/ProjectFolder.h"
#include "core/util/fs/DirectoryListing.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Turns an account's projects/ folder into ProjectFolder values. Only reads: sizes and dates come
// from file metadata, and only a bounded prefix of one transcript per project is opened.
namespace threadhop::ProjectIndexer {

/// Bytes of the newest transcript read for its working directory, and lines looked at.
inline constexpr std::size_t cwdPrefixBytes = 262'144;
inline constexpr int cwdLineLimit = 60;

/// Every project folder of the account that holds a conversation, newest first (stable).
std::vector<ProjectFolder> projects(const ClaudeAccount& account);

/// Why the account's projects folder cannot be listed: "Threadhop cannot read <folder>: <the
/// system's reason>.". Nothing when it can, or when it does not exist (an account without projects).
std::optional<std::string> unreadableProjectsFolder(const ClaudeAccount& account);

/// The .jsonl files below `folder` that can be opened for reading, with their sizes and dates, in
/// enumeration order (depth 0 for the conversations themselves); see DirectoryListing::findFiles for
/// what else is skipped.
std::vector<DirectoryListing::FoundFile> transcripts(const std::filesystem::path& folder);

/// The working directory recorded near the start of a transcript: the first "cwd" (or
/// "message"."cwd") non-empty string among the first 60 non-empty lines of its first 256 KiB,
/// skipping "attachment" lines. Nothing when the prefix is not UTF-8 or no line gives one.
std::optional<std::string> extractCwd(const std::filesystem::path& transcript);

} // namespace threadhop::ProjectIndexer
