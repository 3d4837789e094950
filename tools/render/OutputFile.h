#pragma once
// Writing the files the tool makes without ever destroying one the user has:
// the output must not be the input, must go into an existing folder, and
// appears under its name only when it is complete.
#include <cstdint>
#include <string>
#include <vector>

namespace morvane3::render
{

// Throws UsageError when `output` cannot be written as asked: it names the
// same file as `input` (by any path, link or hard link), lies in a folder that
// does not exist, or is itself a folder. `input` may be empty (no input file).
void checkOutputPath(const std::string& input, const std::string& output);

// Writes `bytes` into a temporary file beside `path` and renames it into place,
// so that `path` holds either what it held before or the complete new file.
// Throws std::runtime_error on failure (nothing is left behind). A fatal signal
// while the temporary file exists removes it (see removePendingOutput).
void writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

// For signal handlers: deletes the temporary file of a write in progress, if
// any. Async-signal-safe.
void removePendingOutput() noexcept;

} // namespace morvane3::render
