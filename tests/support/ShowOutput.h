// What zokk writes on its standard and error streams, checked the same way by every test that
// plays the show.
#pragma once

#include <string>

namespace e2e {

// The whole standard output of a complete show: a statistics line per scene in queue order,
// with its scene's text, and "Initing..." as scenes 3 and 4 begin; each average is taken over
// at least its scene's running time.
void expectCompleteShowOutput(const std::string& out);

// None of the program's own failure lines (picture loader, SDL start-up, video mode).
void expectNoOwnErrors(const std::string& err);

} // namespace e2e
