#include "OggVorbisWriter.h"

#include <cstdio>
#include <vorbis/vorbisenc.h>

namespace ogg_out {

namespace {

constexpr int kSerial = 0x7a6f6b6b; // "zokk"
constexpr long kBlock = 1024;

// Owns the encoder's structures for the length of one encode.
class Encoder {
public:
    Encoder() {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~Encoder() {
        if (streamReady)
            ogg_stream_clear(&stream);
        if (blockReady)
            vorbis_block_clear(&block);
        if (dspReady)
            vorbis_dsp_clear(&state);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state state;
    vorbis_block block;
    ogg_stream_state stream;
    bool dspReady = false, blockReady = false, streamReady = false;
};

bool writePage(std::FILE* file, const ogg_page& page) {
    return std::fwrite(page.header, 1, page.header_len, file) ==
               static_cast<std::size_t>(page.header_len) &&
           std::fwrite(page.body, 1, page.body_len, file) ==
               static_cast<std::size_t>(page.body_len);
}

// Feeds every finished block to the stream and writes out each full page.
bool drain(Encoder& e, std::FILE* file) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&e.state, &e.block) == 1) {
        vorbis_analysis(&e.block, nullptr);
        vorbis_bitrate_addblock(&e.block);
        while (vorbis_bitrate_flushpacket(&e.state, &packet)) {
            ogg_stream_packetin(&e.stream, &packet);
            while (ogg_stream_pageout(&e.stream, &page))
                if (!writePage(file, page))
                    return false;
        }
    }
    return true;
}

bool encode(const dsp::Stereo& signal, float quality, std::FILE* file) {
    Encoder e;
    if (vorbis_encode_init_vbr(&e.info, 2, dsp::kSampleRate, quality) != 0) {
        std::fprintf(stderr, "musicgen: vorbis_encode_init_vbr refused quality %g\n", quality);
        return false;
    }
    vorbis_comment_add_tag(&e.comment, "TITLE", "yo");
    vorbis_comment_add_tag(&e.comment, "ARTIST", "zokk");
    vorbis_analysis_init(&e.state, &e.info);
    e.dspReady = true;
    vorbis_block_init(&e.state, &e.block);
    e.blockReady = true;
    ogg_stream_init(&e.stream, kSerial);
    e.streamReady = true;

    ogg_packet header, commentPacket, codebooks;
    vorbis_analysis_headerout(&e.state, &e.comment, &header, &commentPacket, &codebooks);
    ogg_stream_packetin(&e.stream, &header);
    ogg_stream_packetin(&e.stream, &commentPacket);
    ogg_stream_packetin(&e.stream, &codebooks);
    ogg_page page;
    // The headers end on a page of their own, as players expect.
    while (ogg_stream_flush(&e.stream, &page))
        if (!writePage(file, page))
            return false;

    const long frames = static_cast<long>(signal.frames());
    for (long at = 0; at < frames; at += kBlock) {
        const long n = at + kBlock <= frames ? kBlock : frames - at;
        float** buffer = vorbis_analysis_buffer(&e.state, static_cast<int>(n));
        for (long i = 0; i < n; ++i) {
            buffer[0][i] = static_cast<float>(signal.left[at + i]);
            buffer[1][i] = static_cast<float>(signal.right[at + i]);
        }
        vorbis_analysis_wrote(&e.state, static_cast<int>(n));
        if (!drain(e, file))
            return false;
    }
    vorbis_analysis_wrote(&e.state, 0);
    if (!drain(e, file))
        return false;
    while (ogg_stream_flush(&e.stream, &page))
        if (!writePage(file, page))
            return false;
    return true;
}

} // namespace

bool write(const std::string& path, const dsp::Stereo& signal, float quality) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "musicgen: cannot open %s for writing\n", path.c_str());
        return false;
    }
    const bool encoded = encode(signal, quality, file);
    const bool closed = std::fclose(file) == 0;
    if (encoded && !closed)
        std::fprintf(stderr, "musicgen: writing %s failed\n", path.c_str());
    return encoded && closed;
}

} // namespace ogg_out
