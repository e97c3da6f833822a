// The seven pictures of the demo, each designed for the moment it is shown.
//
// Scene 2 shows three title words in turn over a background strobing between black and
// white, so they sit on transparency and carry dark and light edges both; scene 3 folds a
// tile behind white words, so the tile is colourful but dim; scene 4 flickers two words
// against each other, one dark and one bright, and closes on a third over grey-blue.
#pragma once

#include <string>

namespace pictures {

// Writes all seven files into `directory`; false after a message if one cannot be written.
bool writeAll(const std::string& directory);

} // namespace pictures
