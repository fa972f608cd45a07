#pragma once

// Reads of the local catalogue copy, through the private-profile reader.
//
// Each read comes in two forms: on its own, looking at the file as it is at that moment (the
// selection handler reads this way), and through a platform::ProfileReads that many reads share
// (the tree builder), which looks at the file once a millisecond instead of at every read.

#include <string>
#include <vector>

namespace lxtv::platform {
class ProfileReads;
}

namespace lxtv::catalogue {

// The key's value (at most 10,239 bytes), or empty. Leading bytes 1..32 of each argument are
// skipped; an argument that is empty after that gives empty without reading.
std::string readCatalogueValue(const std::string& file, const std::string& section,
                               const std::string& key);
std::string readCatalogueValue(platform::ProfileReads& reads, const std::string& file,
                               const std::string& section, const std::string& key);

// The first byte of the key's value as readCatalogueValue reads it, or 0 when the value is
// empty: a channel's kind. Copies nothing else, as the tree build asks it of every channel.
char readChannelKind(platform::ProfileReads& reads, const std::string& file,
                     const std::string& section, const std::string& key);

// The section names in file order (duplicates included), through a 204,800-byte list.
std::vector<std::string> listCatalogueSections(const std::string& file);
std::vector<std::string> listCatalogueSections(platform::ProfileReads& reads,
                                               const std::string& file);

// The key names of a section that fit whole in a 256-byte list, joined by CR LF, without a
// trailing CR LF; empty when there are none.
std::string listSectionKeys(const std::string& file, const std::string& section);
std::string listSectionKeys(platform::ProfileReads& reads, const std::string& file,
                            const std::string& section);

}  // namespace lxtv::catalogue
