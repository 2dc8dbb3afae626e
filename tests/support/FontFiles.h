#pragma once
// Font files the tests make from an installed TrueType file: one whose
// embedding permissions are changed, and a collection (.ttc) holding it.
#include <cstdint>
#include <string>

namespace tolv::test {

// The installed Liberation Sans regular file ("" when it is missing).
std::string LiberationSansPath();
// The file with its OS/2 fsType replaced; "" when it has no OS/2 table.
std::string WithFsType(std::string ttf, std::uint16_t fsType);
// A one-face TrueType collection of the file.
std::string AsCollection(const std::string& ttf);

} // namespace tolv::test
