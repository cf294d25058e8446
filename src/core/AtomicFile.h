#pragma once

#include <string>
#include <string_view>

namespace ondrix {

// Replaces the file at path with bytes so that a reader sees either the old or the new
// content, never a part: the bytes go to "<path>.tmp-<process id>", are flushed to the disk
// and the temporary file is renamed over path. Creates the missing parent folders when
// createParents is set. Throws FileError naming the file when any step fails; the
// temporary file is then removed and the old file stays as it was.
void WriteFileAtomically(const std::string& path, std::string_view bytes, bool createParents);

// Removes the temporary files "<path>.tmp-<number>" that a write cut short by a crash left
// beside path; other files are left alone. Failures to remove are ignored.
void RemoveStaleTemporaries(const std::string& path);

} // namespace ondrix
