// End-to-end tests of libfmodex.so on the local Icecast's demo mounts (server/local-stations, CTest
// fixture local_stations): real MP3 and Ogg streams open, sound, and announce changing titles.
#include "engine_support.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

std::string icecastUrl(const std::string& mount) {
    const char* port = std::getenv("TUNDREL_ICECAST_PORT");
    return std::string("http://127.0.0.1:") + (port && *port ? port : "8420") + "/" + mount;
}

} // namespace

class EngineLocalStation : public ::testing::TestWithParam<const char*> {};

TEST_P(EngineLocalStation, PlaysSoundAndFollowsTheTitles) {
    fs::path capture = fs::temp_directory_path() / ("tundrel-engine-" + std::to_string(getpid()) + ".raw");
    {
        Engine engine(capture);
        FMOD_SOUND* sound = nullptr;
        ASSERT_EQ(engine.open(icecastUrl(GetParam()), &sound), FMOD_OK);
        engine.play(sound);
        ASSERT_TRUE(waitFor(8s, [&] { return engine.capture.seconds() >= 3.0; }));
        EXPECT_GT(engine.capture.rms(0.5, 3.0), 0.005);

        std::map<std::string, std::string> tags;
        ASSERT_TRUE(waitFor(10s, [&] {
            tags = readTags(sound);
            return !tags["TITLE"].empty() && !tags["ARTIST"].empty();
        }));
        std::string first = tags["ARTIST"] + " - " + tags["TITLE"];
        // The demo songs last a few seconds each: another title must follow.
        EXPECT_TRUE(waitFor(30s, [&] {
            tags = readTags(sound);
            return !tags["TITLE"].empty() && tags["ARTIST"] + " - " + tags["TITLE"] != first;
        })) << "still " << first;
    }
    fs::remove(capture);
}

INSTANTIATE_TEST_SUITE_P(Mounts, EngineLocalStation, ::testing::Values("demo.mp3", "demo.ogg"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.')) + "_" + name.substr(name.find('.') + 1);
                         });
