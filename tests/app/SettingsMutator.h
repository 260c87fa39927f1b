#pragma once
// Mutations of a settings file in the .reg text format: bytes flipped,
// inserted or deleted, and changes that know its lines (extreme numbers,
// huge texts, values of another type, keys duplicated or deleted, a cut
// file, over-long lines), then now and then another encoding (UTF-16 with or
// without byte-order mark, CRLF line ends).

#include <random>
#include <string>

namespace orvex::test {

// One to three mutations of `text`, chosen by `rng` alone, so that the same
// seed gives the same file.
std::string MutateSettingsFile(const std::string& text, std::mt19937& rng);

}  // namespace orvex::test
