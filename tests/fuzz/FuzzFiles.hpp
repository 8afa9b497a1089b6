#pragma once
// Fuzz inputs as files: the readers under test take paths, so each input is
// written to a file in a folder of this process on a memory-backed file
// system (/dev/shm when there is one), removed at exit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessarin::fuzz {

// The folder, ending with '/'.
const std::string& scratchFolder();

// Writes size bytes to scratchFolder() + name (folders on the way are made)
// and returns the path.
std::string writeFile(const std::string& name, const std::uint8_t* data, std::size_t size);
std::string writeFile(const std::string& name, std::string_view bytes);

// Removes scratchFolder() + name if it exists.
void removeFile(const std::string& name);

// Splits data at the first occurrence of separator: the part before it goes
// to head, the rest to tail; false (head = all of data) without a separator.
bool splitAt(std::string_view data, std::string_view separator, std::string_view& head, std::string_view& tail);

// Rewrites the CRC of every whole chunk after a PNG signature, so that a
// mutation inside a chunk (a width, a colour type) reaches the decoder
// instead of stopping at the checksum. Other bytes are left alone.
std::string withPngCrcs(std::string_view png);

// A property every input must keep; a broken one is reported and aborts, so
// the fuzzer keeps the input like a crash.
void require(bool ok, const char* what);

}  // namespace tessarin::fuzz
