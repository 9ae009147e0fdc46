// The one replace-all of the tree's text rules. Platform-free.
#pragma once

#include <string>

namespace ferrow {

// Every occurrence of `variable`, left to right, without overlap; the inserted text is not searched again.
// Linear in the text's length. Variables begin with "$" or "%", which are never the second byte of a
// double-byte character, so a byte search finds only whole characters.
std::string ReplaceAll(std::string text, const std::string& variable, const std::string& value);

}  // namespace ferrow
