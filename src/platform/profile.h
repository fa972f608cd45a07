#pragma once

// Private-profile (INI) reading with the platform's rules, over a file's own bytes.
//
// The calls are shaped like the platform's: the caller gives a buffer and its size in bytes and
// gets back the number of bytes written before the final zero byte. Values and names are code
// page 936 bytes. A file is parsed once and the parsed form is kept while the file stays the
// same (device, inode, size, modification and change times), so repeated lookups cost a stat()
// and a hash lookup. Every function here may be called from any thread; a ProfileReads object
// from one thread at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lxtv::platform {

// An argument that may be absent (the platform's null pointer). An argument holding a zero byte
// ends there, as a C string would.
using ProfileArg = std::optional<std::string_view>;

// GetPrivateProfileStringA.
//
// Section and key given: the first occurrence of the key in the first section of that name
// (names match ASCII-case-insensitively, spaces around the arguments ignored). Its value, or the
// default (trailing spaces dropped; absent means ""), is copied into the buffer, cut to size-1
// bytes and zero-terminated; returns the bytes copied. Size 0 writes nothing and returns 0.
//
// Key absent: the key names of the section as a list (each name followed by a zero byte, one
// more zero byte at the end); section absent: the section names as a list, every occurrence, in
// file order (the default is ignored). A list that does not fit with room for both final zeros
// is cut after size-2 bytes, ends in two zero bytes, and the call returns size-2; so a list that
// fits only exactly counts as cut.
std::size_t getPrivateProfileString(ProfileArg section, ProfileArg key, ProfileArg defaultValue,
                                    char* buffer, std::size_t size, const std::string& file);

// GetPrivateProfileSectionNamesA: the section-list form of the call above.
std::size_t getPrivateProfileSectionNames(char* buffer, std::size_t size, const std::string& file);

// Reads that share their look at the file, for a burst of many reads such as the tree build.
//
// Each call above looks at the file (a stat() of it) so that it sees the file as it is at that
// moment. Here a file is looked at on the first read of it, and again once a millisecond has
// passed since the last look (the clock is read every few reads), or at once when the cache has
// taken in a new parse of any file (so a copy parsed ahead, see prepareProfile, is seen by the
// next read). A file replaced meanwhile is therefore seen within about a millisecond. The answers
// follow exactly the byte rules of the calls above. One thread at a time.
class ProfileReads {
  public:
    ProfileReads();
    ~ProfileReads();
    ProfileReads(const ProfileReads&) = delete;
    ProfileReads& operator=(const ProfileReads&) = delete;

    std::size_t getPrivateProfileString(ProfileArg section, ProfileArg key, ProfileArg defaultValue,
                                        char* buffer, std::size_t size, const std::string& file);
    std::size_t getPrivateProfileSectionNames(char* buffer, std::size_t size,
                                              const std::string& file);

    struct State;

  private:
    std::unique_ptr<State> state_;
};

// Parses the file into the cache now, unless its current form is there already, so that the
// next read of it does not have to (after a new copy is written, say).
void prepareProfile(const std::string& file);

// How many times a file has been parsed since the program started (to check the cache).
std::uint64_t profileParseCount();

// Forgets every parsed file; the next read parses again.
void clearProfileCache();

}  // namespace lxtv::platform
