#include "ShowChecks.h"

#include "Script.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <regex>
#include <vorbis/vorbisfile.h>

namespace showchecks {

namespace {

// A scene's statistics line: the frame count, the scene's label, the average rate.
std::regex statisticsLine(const std::string& label) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex(R"((\d+))" + std::regex_replace(label, special, R"(\$&)") +
                      R"(([0-9.e+]+)\n)");
}

} // namespace

void expectCompleteShowOutput(const std::string& out) {
    std::string rest = out;
    for (int scene = 0; scene < Script::sceneCount; ++scene) {
        if (scene >= 2) {
            ASSERT_EQ(rest.rfind("Initing...\n", 0), 0u) << "before scene " << scene + 1 << ":\n"
                                                         << out;
            rest = rest.substr(11);
        }
        std::smatch line;
        const std::regex stats = statisticsLine(Script::statisticsLabels[scene]);
        ASSERT_TRUE(std::regex_search(rest, line, stats, std::regex_constants::match_continuous))
            << "scene " << scene + 1 << ":\n"
            << out;
        const double frames = std::stod(line[1].str());
        const double fps = std::stod(line[2].str());
        EXPECT_GT(frames, 0);
        // The average is taken over at least the scene's own running time.
        EXPECT_LE(fps * Script::durations[scene] / 1000.0, frames * 1.0001) << line[0].str();
        rest = line.suffix();
    }
    EXPECT_EQ(rest, "") << out;
}

std::vector<double> sceneFrameRates(const std::string& out) {
    std::vector<double> rates;
    std::smatch line;
    for (auto rest = out.cbegin();
         rates.size() < static_cast<size_t>(Script::sceneCount) &&
         std::regex_search(rest, out.cend(), line,
                           statisticsLine(Script::statisticsLabels[rates.size()]));
         rest = line.suffix().first) {
        rates.push_back(std::stod(line[2].str()));
    }
    return rates;
}

void expectNoOwnErrors(const std::string& err) {
    for (const char* own : {"PNG: ", "Unable to initialize SDL", "Couldn't set video mode"}) {
        EXPECT_EQ(err.find(own), std::string::npos) << err;
    }
}

int linesIn(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

double contrast(const testimages::Image& image) {
    double sum = 0, squares = 0;
    const double n = image.width * image.height;
    for (size_t i = 0; i < image.rgb.size(); i += 3) {
        const double grey = (image.rgb[i] + image.rgb[i + 1] + image.rgb[i + 2]) / 3.0;
        sum += grey;
        squares += grey * grey;
    }
    return std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
}

void expectScreenshotsOfTheShow(const std::string& prefix,
                                const std::vector<testimages::Image>& shots) {
    ASSERT_EQ(shots.size(), static_cast<size_t>(Script::sceneCount));
    for (size_t i = 0; i < shots.size(); ++i) {
        const std::string name = prefix + "-scene" + std::to_string(i + 1);
        testimages::savePNG(testimages::outputDir() + "/" + name + ".png", shots[i]);
        EXPECT_EQ(shots[i].width, Script::width) << name;
        EXPECT_EQ(shots[i].height, Script::height) << name;
        EXPECT_GT(contrast(shots[i]), 20.0) << name << " is blank";
    }
    EXPECT_TRUE(
        testimages::matchesReference(shots.back(), testimages::reference("scene4-8000"), 24, 0.02));
}

std::vector<float> leftChannel(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<float> left;
    int16_t frame[2];
    while (in.read(reinterpret_cast<char*>(frame), sizeof frame)) {
        left.push_back(frame[0] / 32768.0f);
    }
    return left;
}

std::vector<float> musicFrom(const std::string& musicPath, double from, double seconds) {
    OggVorbis_File file;
    std::vector<float> left;
    if (ov_fopen(musicPath.c_str(), &file) != 0) {
        return left;
    }
    ov_time_seek(&file, from);
    const size_t wanted = static_cast<size_t>(seconds * 44100);
    while (left.size() < wanted) {
        float** pcm;
        int section;
        const long n = ov_read_float(&file, &pcm, 1024, &section);
        if (n <= 0) {
            break;
        }
        left.insert(left.end(), pcm[0], pcm[0] + n);
    }
    ov_clear(&file);
    return left;
}

double correlation(const float* a, const float* b, size_t n) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < n; ++i) {
        ab += a[i] * b[i];
        aa += a[i] * a[i];
        bb += b[i] * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

double rms(const float* a, size_t n) {
    double s = 0;
    for (size_t i = 0; i < n; ++i) {
        s += a[i] * a[i];
    }
    return std::sqrt(s / std::max<size_t>(n, 1));
}

size_t musicStartIn(const std::vector<float>& played, const std::vector<float>& music,
                    size_t window, size_t searchFrames, double& best) {
    size_t start = 0;
    best = 0;
    if (music.size() < window) {
        return start;
    }
    for (size_t lag = 0; lag + window < std::min(played.size(), searchFrames); ++lag) {
        const double c = correlation(&played[lag], &music[0], window);
        if (c > best) {
            best = c;
            start = lag;
        }
    }
    return start;
}

void expectMusicFrom30Seconds(const std::string& capturePath, double minSeconds) {
    const std::vector<float> played = leftChannel(capturePath);
    ASSERT_GT(played.size(), 44100u * minSeconds) << "the capture is too short";
    const std::vector<float> music = musicFrom(Script::musicFile, Script::musicStart, 3.0);
    ASSERT_GT(music.size(), 44100u * 2);
    const size_t window = 4410;
    double best = 0;
    const size_t start = musicStartIn(played, music, window, 2 * 44100, best);
    EXPECT_GT(best, 0.95) << "what plays is " << Script::musicFile << " from " << Script::musicStart
                          << " s on";
    EXPECT_LT(start, 44100u) << "the music starts within a second of the show";
    const size_t later = 2 * 44100;
    ASSERT_LT(start + later + window, played.size());
    EXPECT_GT(correlation(&played[start + later], &music[later], window), 0.95);
    EXPECT_NEAR(rms(&played[start + later], window) / rms(&music[later], window), 1.0, 0.1);
    EXPECT_LE(rms(&played[start], window) / rms(&music[0], window), 1.05);
}

} // namespace showchecks
