// Writing files so that they appear whole or not at all, and refusing inputs that are not regular files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the bytes to a new file beside name and renames it over name. The destination is replaced, never
// written through: a symbolic or hard link there is replaced, not its target. A file that was there keeps
// its permission bits; a new one gets 0666 less the umask. On any failure (a full disk, for one) nothing
// changes at name and error holds "SHOWN: reason". dirFd is the folder (AT_FDCWD for a path), shown the
// name to use in messages.
bool writeWholeFileAt(int dirFd, const std::string& name, const std::string& shown, const uint8_t* data,
                      size_t size, std::string& error);
bool writeWholeFile(const std::string& path, const uint8_t* data, size_t size, std::string& error);

// A temporary name beside path for a file that another program writes (the same folder, so a rename can
// put it in place; the same extension, so the writer picks the same format). Never begins with '-'.
std::string partialPathBeside(const std::string& path);

// Why the folder that would hold path cannot take a new file ("" when it can): missing, not a folder, or
// not writable; or path itself names a folder.
std::string destinationFault(const std::string& path);

// Opens a file for reading only when it is a regular file: a FIFO, a device or a folder is refused before
// a byte is read (a FIFO is opened without waiting for a writer). Returns the descriptor, or -1 with
// "PATH: reason" in error.
int openRegularFile(const std::string& path, std::string& error);
