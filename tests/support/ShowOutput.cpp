#include "ShowOutput.h"

#include "Script.h"

#include <gtest/gtest.h>
#include <regex>

namespace e2e {

void expectCompleteShowOutput(const std::string& out) {
    static const char* const labels[] = {
        " frames drawn\tAverage fps: ", " frames draw\tAverage fps: ",
        " frames draw\tAverage fps: ", " frames draw\tAverage fps: "};
    static const std::regex stats(R"((\d+)( frames drawn?\tAverage fps: )([0-9.e+]+)\n)");
    std::string rest = out;
    for (int scene = 0; scene < Script::sceneCount; ++scene) {
        if (scene >= 2) {
            ASSERT_EQ(rest.rfind("Initing...\n", 0), 0u) << "before scene " << scene + 1 << ":\n"
                                                         << out;
            rest = rest.substr(11);
        }
        std::smatch line;
        ASSERT_TRUE(std::regex_search(rest, line, stats, std::regex_constants::match_continuous))
            << "scene " << scene + 1 << ":\n"
            << out;
        EXPECT_EQ(line[2].str(), labels[scene]);
        const double frames = std::stod(line[1].str());
        const double fps = std::stod(line[3].str());
        EXPECT_GT(frames, 0);
        EXPECT_LE(fps * Script::durations[scene] / 1000.0, frames * 1.0001) << line[0].str();
        rest = line.suffix();
    }
    EXPECT_EQ(rest, "") << out;
}

void expectNoOwnErrors(const std::string& err) {
    for (const char* own : {"PNG: ", "Unable to initialize SDL", "Couldn't set video mode"}) {
        EXPECT_EQ(err.find(own), std::string::npos) << err;
    }
}

} // namespace e2e
