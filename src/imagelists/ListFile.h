#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

// The lines of a list file's bytes: CR, LF and CR LF each end a line, a break at the very end
// makes no extra entry, and a blank line inside counts as an entry with an empty text.
std::vector<std::string> SplitListLines(std::string_view bytes);

// Every line followed by CR LF; no lines give no bytes.
std::string JoinListLines(const std::vector<std::string>& lines);

// The bytes of a list file, read at once. Throws FileError naming the file, also when it is
// not a regular file or larger than kMaxListFileBytes.
std::string ReadListFileBytes(const std::string& path);

// Reads the whole list file at once. Throws FileError naming the file when it cannot be read.
std::vector<std::string> ReadListLines(const std::string& path);

// Replaces the list file atomically (a reader sees the old or the new list, never a part).
// Throws FileError naming the file.
void WriteListLines(const std::string& path, const std::vector<std::string>& lines);

// An entry line is PicturePath "?" Width "*" Height. The picture path is the text before the
// first "?", the size text all after it; a line without "?" has an empty path and is all size.
std::string EntryPathOf(std::string_view line);
std::string EntrySizeOf(std::string_view line);
std::string MakeEntryLine(const std::string& picturePath, int width, int height);

// The value of a Count text: optional sign and decimal digits, nothing else. A text that is
// not such a number gives nullopt; a number too large for 64 bits is held at the nearest limit.
std::optional<std::int64_t> ParseCount(std::string_view count);

// The value used wherever counts are compared: a text that is no number counts as 0.
std::int64_t CountValue(std::string_view count);

// -1 when a's value is less than b's, otherwise 1 (equal counts give 1, never 0).
int CompareEntryCounts(std::string_view a, std::string_view b);

// count raised (delta > 0) or lowered by delta, as decimal text, held at the 64-bit limits.
// A count that is no number is replaced by linesNow, the number the file really holds.
std::string AdjustCount(std::string_view count, int delta, std::size_t linesNow);

// Equal when equal after ASCII letters are folded to lower case.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace ondrix
