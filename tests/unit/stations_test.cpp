#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/program.h"
#include "fixtures/local_http_server.h"
#include "platform/http.h"
#include "stations/station_list.h"

namespace {

using Entries = std::vector<std::pair<Text, Text>>; // name, url

Entries entriesOf(const StationList& list) {
    Entries out;
    for (const auto& s : list.entries)
        out.emplace_back(s.name, s.url);
    return out;
}

void fill(StationList& list, std::initializer_list<const char16_t*> names) {
    clearStations(list);
    for (const char16_t* name : names)
        addStation(list).name = name;
}

std::vector<Text> namesOf(const StationList& list) {
    std::vector<Text> out;
    for (const auto& s : list.entries)
        out.push_back(s.name);
    return out;
}

// ---- list operations ----

TEST(StationListOps, AddGoesAfterTheCursorOrToTheFront) {
    StationList list;
    addStation(list).name = u"a";
    EXPECT_EQ(stationIndex(list), 0);
    addStation(list).name = u"b";
    addStation(list).name = u"c";
    EXPECT_EQ(namesOf(list), (std::vector<Text>{u"a", u"b", u"c"}));
    selectStation(list, 0);
    addStation(list).name = u"after a";
    EXPECT_EQ(stationIndex(list), 1);
    selectStation(list, -1);
    addStation(list).name = u"front";
    EXPECT_EQ(stationIndex(list), 0);
    EXPECT_EQ(namesOf(list), (std::vector<Text>{u"front", u"a", u"after a", u"b", u"c"}));
    EXPECT_TRUE(list.entries[0].url.empty());
}

TEST(StationListOps, SelectOutOfRangePutsTheCursorOnNone) {
    StationList list;
    fill(list, {u"a", u"b"});
    for (int index : {-5, -1, 2, 3}) {
        selectStation(list, 1);
        selectStation(list, index);
        EXPECT_EQ(stationIndex(list), -1) << index;
        EXPECT_EQ(currentStation(list), nullptr) << index;
    }
    selectStation(list, 1);
    ASSERT_NE(currentStation(list), nullptr);
    EXPECT_EQ(currentStation(list)->name, u"b");
}

TEST(StationListOps, IterationVisitsInOrderAndStaysOnTheLast) {
    StationList list;
    fill(list, {u"a", u"b", u"c"});
    std::vector<Text> seen;
    resetStations(list);
    while (nextStation(list))
        seen.push_back(currentStation(list)->name);
    EXPECT_EQ(seen, (std::vector<Text>{u"a", u"b", u"c"}));
    EXPECT_EQ(stationIndex(list), 2);
    EXPECT_FALSE(nextStation(list));
    EXPECT_EQ(stationIndex(list), 2);

    StationList empty;
    resetStations(empty);
    EXPECT_FALSE(nextStation(empty));
    EXPECT_EQ(currentStation(empty), nullptr);
}

TEST(StationListOps, ClearLeavesNothing) {
    StationList list;
    fill(list, {u"a"});
    clearStations(list);
    EXPECT_EQ(stationCount(list), 0);
    EXPECT_EQ(stationIndex(list), -1);
}

TEST(SortCatalogue, CursorFollowsItsEntry) {
    fill(catalogue, {u"c", u"a", u"b"});
    selectStation(catalogue, 0);
    sortCatalogue();
    EXPECT_EQ(namesOf(catalogue), (std::vector<Text>{u"a", u"b", u"c"}));
    EXPECT_EQ(currentStation(catalogue)->name, u"c");
    selectStation(catalogue, -1);
    sortCatalogue();
    EXPECT_EQ(currentStation(catalogue), nullptr);
}

TEST(SortCatalogue, AgreesWithTheFoldedComparison) {
    // Names over a small alphabet, so equal and prefix names are frequent; the URL keeps the file order.
    const char16_t alphabet[] = u"aAbB_(9\u00E9\u00C9\uFEFF";
    std::uint32_t seed = 7;
    clearStations(catalogue);
    std::vector<Station> reference;
    for (int i = 0; i < 2000; ++i) {
        Station s;
        seed = seed * 1103515245u + 12345u;
        for (std::uint32_t n = (seed >> 16) % 4; n > 0; --n) {
            seed = seed * 1103515245u + 12345u;
            s.name.push_back(alphabet[(seed >> 16) % 10]);
        }
        s.url = textOf(std::to_string(i));
        addStation(catalogue) = s;
        reference.push_back(s);
    }
    std::stable_sort(reference.begin(), reference.end(),
                     [](const Station& a, const Station& b) { return compareFoldAscii(a.name, b.name) < 0; });
    sortCatalogue();
    ASSERT_EQ(catalogue.entries.size(), reference.size());
    for (std::size_t i = 0; i < reference.size(); ++i) {
        EXPECT_EQ(catalogue.entries[i].name, reference[i].name) << i;
        EXPECT_EQ(catalogue.entries[i].url, reference[i].url) << i;
    }
}

TEST(ParseStationLine, SplitsAtTheFirstComma) {
    struct {
        Text line, name, url;
    } cases[] = {
        {u"(Pop) One,http://h/1", u"(Pop) One", u"http://h/1"},
        {u"Name,http://h/?a=1,2,3", u"Name", u"http://h/?a=1,2,3"},
        {u"no comma at all", u"", u"no comma at all"},
        {u",http://h/", u"", u"http://h/"},
        {u"Name,", u"Name", u""},
        {u"", u"", u""},
    };
    for (const auto& c : cases) {
        Station s = parseStationLine(c.line);
        EXPECT_EQ(s.name, c.name);
        EXPECT_EQ(s.url, c.url);
    }
}

TEST(LabelOf, KeepsWhatFollowsTheFirstBracket) {
    struct {
        Text name, label;
    } cases[] = {
        {u"(Pop Rock) Radio Paradise", u" Radio Paradise"},
        {u"No genre", u"No genre"},
        {u"(a) b) c", u" b) c"},
        {u")", u""},
        {u"", u""},
        {u"Jazz (live)", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(labelOf(c.name), c.label);
}

TEST(SetStationPaths, FromBaseFolderAndServer) {
    setBaseFolder(u"/some/folder");
    setStationPaths();
    EXPECT_EQ(userStationsPath, u"/some/folder/UserRadio.txt");
    EXPECT_EQ(stationListUrl, serverBaseUrl() + u"radiolist07.pzt");
}

// ---- through a real HTTP server ----

class StationServer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(startNetwork());
        ASSERT_TRUE(server.start());
    }
    static void TearDownTestSuite() {
        server.stop();
        stopNetwork();
    }
    void SetUp() override {
        clearStations(catalogue);
        clearStations(userStations);
        userStationsPath = textOf(server.folder + "/UserRadio.txt");
        std::filesystem::remove_all(server.folder + "/UserRadio.txt");
    }
    static Text url(const std::string& path) { return textOf(server.url(path)); }
    // Serves `body` as the station list and fetches it.
    static bool fetchList(const std::string& body, const std::string& prefix = "") {
        server.serve("radiolist07.pzt", body);
        stationListUrl = url(prefix + "radiolist07.pzt");
        return fetchStationCatalogue();
    }
    static void writeUserFile(const std::string& bytes) { server.serve("UserRadio.txt", bytes); }

    static LocalHttpServer server;
};

LocalHttpServer StationServer::server;

struct ListCase {
    const char* name;
    std::string body;
    Entries expected;
};

TEST_F(StationServer, ParsesAndSortsLists) {
    const ListCase cases[] = {
        {"two CR LF lines",
         "(Rock) One,http://a/1\r\n(Jazz) Two,http://b/2\r\n",
         {{u"(Jazz) Two", u"http://b/2"}, {u"(Rock) One", u"http://a/1"}}},
        {"last line without line end is lost", "A,u1\r\nB,u2", {{u"A", u"u1"}}},
        {"LF-only lines lose a real character",
         "A,http://x/1\nB,http://x/2\n",
         {{u"A", u"http://x/"}, {u"B", u"http://x/"}}},
        {"empty line is an empty entry, sorted first",
         "B,u\r\n\r\nA,v\r\n",
         {{u"", u""}, {u"A", u"v"}, {u"B", u"u"}}},
        {"no comma: the whole line is the URL", "justaurl\r\n", {{u"", u"justaurl"}}},
        {"two commas: the URL keeps the second", "Name,http://x/?a=1,2\r\n", {{u"Name", u"http://x/?a=1,2"}}},
        {"lone LF gives an entry with nothing to cut", "\nA,u\r\n", {{u"", u""}, {u"A", u"u"}}},
        {"NUL ends the text", std::string("A,u1\r\nB,u2\r\n\0C,u3\r\n", 18), {{u"A", u"u1"}, {u"B", u"u2"}}},
        {"case-only differences keep file order",
         "b,1\r\nB,2\r\nb,3\r\nA,4\r\n",
         {{u"A", u"4"}, {u"b", u"1"}, {u"B", u"2"}, {u"b", u"3"}}},
        {"bracket before digits and letters",
         "Alpha,1\r\n9 Nine,2\r\n(Pop) X,3\r\n",
         {{u"(Pop) X", u"3"}, {u"9 Nine", u"2"}, {u"Alpha", u"1"}}},
        {"accented after ASCII letters",
         "\xC3\x89lan,1\r\nzebra,2\r\nZulu,3\r\n",
         {{u"zebra", u"2"}, {u"Zulu", u"3"}, {u"\u00C9lan", u"1"}}},
        {"underscore before letters",
         "a,1\r\nZed,2\r\n_x,3\r\n",
         {{u"_x", u"3"}, {u"a", u"1"}, {u"Zed", u"2"}}},
        {"the list's own BOM stays and sorts after Latin-1",
         "\xEF\xBB\xBF"
         "Alpha,1\r\n\xC3\xBF,2\r\nzz,3\r\n",
         {{u"zz", u"3"}, {u"\u00FF", u"2"}, {u"\uFEFFAlpha", u"1"}}},
        {"a prefix sorts first", "abc,1\r\nab,2\r\n", {{u"ab", u"2"}, {u"abc", u"1"}}},
        {"malformed UTF-8 becomes U+FFFD", "R\xFFx,u\r\n", {{u"R\uFFFDx", u"u"}}},
    };
    for (const auto& c : cases) {
        clearStations(catalogue);
        EXPECT_TRUE(fetchList(c.body)) << c.name;
        EXPECT_EQ(entriesOf(catalogue), c.expected) << c.name;
    }
}

TEST_F(StationServer, NothingChangesWithoutALineOrABody) {
    const struct {
        const char* name;
        std::string path;
        std::string body;
    } cases[] = {
        {"body without LF", "radiolist07.pzt", "A,u1\r"},
        {"NUL before the first LF", "radiolist07.pzt", std::string("A,u\0\r\nB,v\r\n", 11)},
        {"empty body", "empty", ""},
        {"missing file (404, empty body)", "no-such-file", ""},
    };
    writeUserFile("Mine,http://mine\r\n");
    for (const auto& c : cases) {
        fill(catalogue, {u"kept"});
        server.serve("radiolist07.pzt", c.body);
        stationListUrl = url(c.path);
        EXPECT_FALSE(fetchStationCatalogue()) << c.name;
        EXPECT_EQ(namesOf(catalogue), std::vector<Text>{u"kept"}) << c.name;
        EXPECT_EQ(stationCount(userStations), 0) << c.name << ": the user file is not read";
    }
}

TEST_F(StationServer, RefusedConnectionChangesNothing) {
    fill(catalogue, {u"kept"});
    stationListUrl = textOf("http://127.0.0.1:" + std::to_string(refusedPort()) + "/radiolist07.pzt");
    EXPECT_FALSE(fetchStationCatalogue());
    EXPECT_EQ(namesOf(catalogue), std::vector<Text>{u"kept"});
}

TEST_F(StationServer, ErrorPageIsParsedLikeAList) {
    server.serve("page.html", "<html>\r\n<body>Not, found</body>\r\n</html>");
    stationListUrl = url("404/page.html");
    EXPECT_TRUE(fetchStationCatalogue());
    EXPECT_EQ(entriesOf(catalogue), (Entries{{u"", u"<html>"}, {u"<body>Not", u" found</body>"}}));
}

TEST_F(StationServer, RedirectIsFollowed) {
    EXPECT_TRUE(fetchList("A,u1\r\n", "redirect/"));
    EXPECT_EQ(entriesOf(catalogue), (Entries{{u"A", u"u1"}}));
}

TEST_F(StationServer, GetReturnsTheExactBodyAndSendsTheUserAgent) {
    std::string bytes("a\0b\r\n\xFF", 6);
    server.serve("raw.bin", bytes);
    auto body = httpGetToMemory(url("raw.bin"));
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(*body, bytes);
    auto agent = httpGetToMemory(url("agent"));
    ASSERT_TRUE(agent.has_value());
    EXPECT_EQ(*agent, "Mozilla/5.0 Gecko/41.0 Firefox/41.0");
    EXPECT_FALSE(httpGetToMemory(url("empty")).has_value());
}

TEST_F(StationServer, TwentyMegabyteListIsTakenWhole) {
    auto body = httpGetToMemory(url("big"));
    ASSERT_TRUE(body.has_value());
    EXPECT_GE(body->size(), 20u * 1024 * 1024);
    auto lines = std::count(body->begin(), body->end(), '\n');
    stationListUrl = url("big");
    ASSERT_TRUE(fetchStationCatalogue());
    ASSERT_EQ(stationCount(catalogue), lines);
    EXPECT_EQ(catalogue.entries.front().name, u"(Big) Station 0000000");
    EXPECT_EQ(catalogue.entries.front().url, u"http://127.0.0.1:1/stream0000000");
}

// Takes the full 30 s stall bound.
TEST_F(StationServer, StalledServerGivesUp) {
    fill(catalogue, {u"kept"});
    stationListUrl = url("stall");
    EXPECT_FALSE(fetchStationCatalogue());
    EXPECT_EQ(namesOf(catalogue), std::vector<Text>{u"kept"});
}

// ---- the user stations file ----

TEST_F(StationServer, UserStationGoesAfterTheSecondEntry) {
    const ListCase cases[] = {
        {"one-line list: first", "same,u1\r\n", {{u"same", u"user"}, {u"same", u"u1"}}},
        {"two-line list: last",
         "same,u1\r\nsame,u2\r\n",
         {{u"same", u"u1"}, {u"same", u"u2"}, {u"SAME", u"user"}}},
        {"three-line list: third",
         "same,u1\r\nsame,u2\r\nsame,u3\r\n",
         {{u"same", u"u1"}, {u"same", u"u2"}, {u"SAME", u"user"}, {u"same", u"u3"}}},
    };
    for (const auto& c : cases) {
        // Only the case differs, so the user's name compares equal; the one-line case shows the
        // name as the file has it.
        writeUserFile(c.expected[0].second == u"user" ? "same,user\r\n" : "SAME,user\r\n");
        EXPECT_TRUE(fetchList(c.body)) << c.name;
        EXPECT_EQ(entriesOf(catalogue), c.expected) << c.name;
    }
}

TEST_F(StationServer, OnlyTheLastLineOfTheUserFileJoins) {
    writeUserFile("(A) First,http://1\n(B) Second,http://2\r(C) Third,http://3,x,y");
    ASSERT_TRUE(fetchList("(Z) Listed,http://z/\r\n"));
    EXPECT_EQ(entriesOf(catalogue),
              (Entries{{u"(C) Third", u"http://3,x,y"}, {u"(Z) Listed", u"http://z/"}}));
    EXPECT_EQ(entriesOf(userStations), (Entries{{u"(A) First", u"http://1"},
                                                {u"(B) Second", u"http://2"},
                                                {u"(C) Third", u"http://3,x,y"}}));
    EXPECT_EQ(stationIndex(userStations), 2);
}

TEST_F(StationServer, UserFileLines) {
    const struct {
        const char* name;
        std::string file;
        Station joined;
    } cases[] = {
        {"last line empty", "A,http://a\r\n\r\n", {.url = u"", .name = u""}},
        {"no comma", "http://only", {.url = u"http://only", .name = u""}},
        {"BOM kept", "\xEF\xBB\xBFMine,http://m", {.url = u"http://m", .name = u"\uFEFFMine"}},
        {"CR-only ends", "A,1\rB,2\r", {.url = u"2", .name = u"B"}},
    };
    for (const auto& c : cases) {
        writeUserFile(c.file);
        ASSERT_TRUE(fetchList("zz,1\r\n\xC3\xBF,2\r\n")) << c.name;
        auto all = entriesOf(catalogue);
        EXPECT_EQ(all.size(), 3u) << c.name;
        EXPECT_NE(std::find(all.begin(), all.end(), std::make_pair(c.joined.name, c.joined.url)), all.end())
            << c.name;
    }
    // The BOM name sorts after ASCII and Latin-1 names.
    writeUserFile("\xEF\xBB\xBFMine,http://m");
    ASSERT_TRUE(fetchList("zz,1\r\n\xC3\xBF,2\r\n"));
    EXPECT_EQ(namesOf(catalogue), (std::vector<Text>{u"zz", u"\u00FF", u"\uFEFFMine"}));
}

TEST_F(StationServer, UnusableUserFileAddsNothing) {
    const struct {
        const char* name;
        void (*make)(const std::string& path);
    } cases[] = {
        {"missing", [](const std::string&) {}},
        {"0 bytes", [](const std::string& path) { std::ofstream(path, std::ios::binary); }},
        {"folder", [](const std::string& path) { std::filesystem::create_directory(path); }},
    };
    for (const auto& c : cases) {
        std::string path = server.folder + "/UserRadio.txt";
        std::filesystem::remove_all(path);
        c.make(path);
        EXPECT_FALSE(readUserStations()) << c.name;
        ASSERT_TRUE(fetchList("A,1\r\nB,2\r\n")) << c.name;
        EXPECT_EQ(entriesOf(catalogue), (Entries{{u"A", u"1"}, {u"B", u"2"}})) << c.name;
    }
    std::filesystem::remove_all(server.folder + "/UserRadio.txt");
}

} // namespace
