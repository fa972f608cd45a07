#pragma once

// Reads of the local catalogue copy, through the private-profile reader.

#include <string>
#include <vector>

namespace lxtv::catalogue {

// The key's value (at most 10,239 bytes), or empty. Leading bytes 1..32 of each argument are
// skipped; an argument that is empty after that gives empty without reading.
std::string readCatalogueValue(const std::string& file, const std::string& section,
                               const std::string& key);

// The section names in file order (duplicates included), through a 204,800-byte list.
std::vector<std::string> listCatalogueSections(const std::string& file);

// The key names of a section that fit whole in a 256-byte list, joined by CR LF, without a
// trailing CR LF; empty when there are none.
std::string listSectionKeys(const std::string& file, const std::string& section);

}  // namespace lxtv::catalogue
