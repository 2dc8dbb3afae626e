#pragma once
// Names that Windows compares without regard to case (profile sections and
// keys, registry keys, file names) are compared through one folding.
#include <string>
#include <string_view>

namespace plat {

// Plain ASCII quickly, anything else through Unicode case folding, so that
// "Ä" meets "ä". Two names are the same name when their foldings are equal.
std::string FoldCase(std::string_view s);

} // namespace plat
