// Writes a whole file so that a failure never leaves a truncated file nor
// destroys the file it would replace: the contents go into a new file beside
// the target, which is moved over the target only once everything was
// written and flushed. Only a missing path or a regular file of one link that
// its permission bits let this process write is ever replaced; anything else
// (a link, a directory, a device, a pipe, a socket, a read-only or
// hard-linked file) is refused and left as it is.
#pragma once

#include <string>

enum class FileWriteResult {
  kWritten,    // the target holds exactly `contents`
  kRefused,    // the target is not a file that may be replaced; nothing changed
  kNotOpened,  // no file could be created beside the target; nothing changed
  kFailed,     // writing, flushing or moving failed; nothing changed
};

// `contents` is written in text mode: on Windows each "\n" becomes CR LF.
FileWriteResult ReplaceFileContents(const std::string& path, const std::string& contents);
