// musicgen: synthesises the demo's soundtrack and writes it as Ogg Vorbis.
//
//   musicgen DIRECTORY      (writes DIRECTORY/yo.ogg)
//
// Everything is computed from the score in this folder; the same build writes the same bytes.
#include "OggVorbisWriter.h"
#include "Score.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: musicgen DIRECTORY\n");
        return 2;
    }
    // Limited 3 dB under full scale: lossy coding lifts peaks by a dB or so, and the decoded
    // file must stay below -1 dBFS.
    const double peak = 0.7079; // -3 dBFS
    const dsp::Stereo music = score::render(peak);
    return ogg_out::write(std::string(argv[1]) + "/yo.ogg", music, 0.35f) ? 0 : 1;
}
