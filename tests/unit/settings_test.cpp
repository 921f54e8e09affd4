#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/program.h"
#include "platform/files.h"
#include "settings/messages.h"
#include "settings/preferences_file.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {

const std::string mark = "\xEF\xBB\xBF\r\n"; // byte-order mark and the empty first line

std::string written(const std::string& lines) {
    return mark + lines;
}

const std::string newFile =
    written("[USERPREF]\r\n"
            "LAST=(Pop Rock) Radio Paradise,http://stream.radioparadise.com/mp3-128\r\n"
            "PLAN=0\r\n"
            "WX=0\r\n"
            "WY=0\r\n"
            "VOL=0.75\r\n"
            "LNG=FR\r\n"
            ";  Tundrel 1.08.3\r\n"
            "; Written by the Tundrel developers\r\n"
            "; Thanks to every radio that shares its stream\r\n"
            "; Ce logiciel utilise le moteur audio FMOD Ex - http://www.fmod.org\r\n");

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tundrel-settings-XXXXXX";
        dir = ::mkdtemp(pattern);
        setBaseFolder(textOf(dir));
        settings = Settings{};
        setSettingsPath();
        messages = Messages{};
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    std::string file() const { return dir + "/user_radio.pzt"; }
    void put(const std::string& bytes) const { ASSERT_TRUE(writeWholeFile(textOf(file()), bytes)); }
    std::string bytes() const { return readWholeFile(textOf(file())).value_or("<missing>"); }
    static ino_t inode(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_ino;
    }
    std::string dir;
};

TEST_F(SettingsFile, FirstStartWritesTheNewFile) {
    EXPECT_EQ(loadSettings(), 1);
    EXPECT_EQ(bytes(), newFile);
    EXPECT_EQ(settings.lastStationName, u"(Pop Rock) Radio Paradise");
    EXPECT_EQ(settings.lastStationUrl, u"");
    EXPECT_EQ(settings.alwaysOnTop, 0);
    EXPECT_EQ(settings.windowX, 0);
    EXPECT_EQ(settings.windowY, 0);
    EXPECT_EQ(settings.volume, 0.75f);
    EXPECT_EQ(settings.languageCode, u"FR");
    EXPECT_EQ(settings.settingsPath, textOf(dir + "/user_radio.pzt"));
}

TEST_F(SettingsFile, FileOfTheProgramComesBackByteForByte) {
    ASSERT_EQ(loadSettings(), 1);
    ino_t created = inode(file());

    // Loading an existing file writes nothing.
    settings = Settings{};
    setSettingsPath();
    ASSERT_EQ(loadSettings(), 1);
    EXPECT_EQ(inode(file()), created);
    EXPECT_EQ(bytes(), newFile);

    // The picker sets the URL half again once the station is found in the catalogue.
    settings.lastStationUrl = defaultStationUrl;
    saveSettings(0, 0);
    EXPECT_EQ(bytes(), newFile);
}

TEST_F(SettingsFile, SaveKeepsThePermissionsAndReplacesTheFile) {
    put(written("[USERPREF]\r\nLNG=US\r\n"));
    ::chmod(file().c_str(), 0600);
    ASSERT_EQ(loadSettings(), 1);
    saveSettings(5, 6);
    struct stat st {};
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(bytes(), written("[USERPREF]\r\nLNG=US\r\nLAST=(Pop Rock) Radio Paradise,\r\n"
                               "VOL=0.75\r\nPLAN=0\r\nWX=5\r\nWY=6\r\n"));
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

struct LoadSaveCase {
    const char* name;
    std::string input;
    Text lastStationName;
    Text languageCode;
    float volume;
    int alwaysOnTop;
    std::int32_t windowX, windowY;
    std::string saved; // after saveSettings with the loaded position
};

// Keys the program writes back when they were missing, in the order it writes them.
const std::string defaultsAppended = "LAST=(Pop Rock) Radio Paradise,\r\nLNG=FR\r\nVOL=0.75\r\nPLAN=0\r\n"
                                     "WX=0\r\nWY=0\r\n";

TEST_F(SettingsFile, LoadsAndSavesByTable) {
    const LoadSaveCase cases[] = {
        {"without mark, E9 is one Latin-1 character", "[USERPREF]\r\nLAST=Caf\xE9,u\r\nNOTE=d\xE9j\xE0\r\n",
         u"Caf\u00E9", u"FR", 0.75f, 0, 0, 0,
         written("[USERPREF]\r\nLAST=Caf\xC3\xA9,\r\nNOTE=d\xC3\xA9j\xC3\xA0\r\nLNG=FR\r\nVOL=0.75\r\n"
                 "PLAN=0\r\nWX=0\r\nWY=0\r\n")},
        {"without mark, UTF-8 bytes are two characters", "[USERPREF]\r\nLAST=Caf\xC3\xA9,u\r\n",
         u"Caf\u00C3\u00A9", u"FR", 0.75f, 0, 0, 0,
         written(
             "[USERPREF]\r\nLAST=Caf\xC3\x83\xC2\xA9,\r\nLNG=FR\r\nVOL=0.75\r\nPLAN=0\r\nWX=0\r\nWY=0\r\n")},
        {"with mark, UTF-8 is read as such", written("[USERPREF]\r\nLAST=Caf\xC3\xA9,u\r\n"), u"Caf\u00E9",
         u"FR", 0.75f, 0, 0, 0,
         written("[USERPREF]\r\nLAST=Caf\xC3\xA9,\r\nLNG=FR\r\nVOL=0.75\r\nPLAN=0\r\nWX=0\r\nWY=0\r\n")},
        {"letter case and blanks around = do not matter", "[userpref]\r\nvol = 0.5\r\n",
         u"(Pop Rock) Radio Paradise", u"FR", 0.5f, 0, 0, 0,
         written("[userpref]\r\nVOL=0.5\r\nLAST=(Pop Rock) Radio Paradise,\r\nLNG=FR\r\nPLAN=0\r\nWX=0\r\n"
                 "WY=0\r\n")},
        {"other groups, keys and comments stay in place",
         "; by hand\r\n[Other]\r\nA = 1\r\n[USERPREF]\r\n;mine\r\nLNG=US\r\nEXTRA=yes\r\n[Later]\r\nB=2\r\n",
         u"(Pop Rock) Radio Paradise", u"US", 0.75f, 0, 0, 0,
         written("; by hand\r\n[Other]\r\nA=1\r\n\r\n[USERPREF]\r\n; mine\r\nLNG=US\r\nEXTRA=yes\r\n"
                 "LAST=(Pop Rock) Radio "
                 "Paradise,\r\nVOL=0.75\r\nPLAN=0\r\nWX=0\r\nWY=0\r\n\r\n[Later]\r\nB=2\r\n")},
        {"a missing group is appended with all six keys", "[Other]\nA=1\n", u"(Pop Rock) Radio Paradise",
         u"FR", 0.75f, 0, 0, 0, written("[Other]\r\nA=1\r\n\r\n[USERPREF]\r\n" + defaultsAppended)},
        {"an empty file", "", u"(Pop Rock) Radio Paradise", u"FR", 0.75f, 0, 0, 0,
         written("[USERPREF]\r\n" + defaultsAppended)},
        {"keys before the first group do not count", "LNG=US\r\n[USERPREF]\r\n", u"(Pop Rock) Radio Paradise",
         u"FR", 0.75f, 0, 0, 0, written("LNG=US\r\n[USERPREF]\r\n" + defaultsAppended)},
        {"the first group and the first key win",
         "[USERPREF]\r\nLNG=DE\r\nlng=ES\r\n[userpref]\r\nLNG=US\r\n", u"(Pop Rock) Radio Paradise", u"DE",
         0.75f, 0, 0, 0,
         written("[USERPREF]\r\nLNG=DE\r\nlng=ES\r\nLAST=(Pop Rock) Radio Paradise,\r\nVOL=0.75\r\nPLAN=0\r\n"
                 "WX=0\r\nWY=0\r\n\r\n[userpref]\r\nLNG=US\r\n")},
        {"line ends, blank lines and indentation vanish",
         "\r\n\n  [USERPREF] trailing text\r\r\n\tPLAN=1\n\n \t\nWX=7\rWY=8\r\nLNG=US",
         u"(Pop Rock) Radio Paradise", u"US", 0.75f, 1, 7, 8,
         written("[USERPREF]\r\nPLAN=1\r\nWX=7\r\nWY=8\r\nLNG=US\r\nLAST=(Pop Rock) Radio Paradise,\r\n"
                 "VOL=0.75\r\n")},
        {"a header without ] and a key without =", "[USERPREF\r\nLONELY\r\nLNG=   US  \r\n",
         u"(Pop Rock) Radio Paradise", u"US  ", 0.75f, 0, 0, 0,
         written(
             "[USERPREF]\r\nLONELY=\r\nLNG=US  \r\nLAST=(Pop Rock) Radio Paradise,\r\nVOL=0.75\r\nPLAN=0\r\n"
             "WX=0\r\nWY=0\r\n")},
        {"PLAN keeps the low 8 bits, signed", "[USERPREF]\r\nPLAN=255\r\nWX=4294967295\r\nWY=-5\r\n",
         u"(Pop Rock) Radio Paradise", u"FR", 0.75f, -1, -1, -5,
         written("[USERPREF]\r\nPLAN=-1\r\nWX=-1\r\nWY=-5\r\n"
                 "LAST=(Pop Rock) Radio Paradise,\r\nLNG=FR\r\nVOL=0.75\r\n")},
        {"PLAN 256 is 0; $ and % prefixes", "[USERPREF]\r\nPLAN=256\r\nWX=$FF\r\nWY=%101\r\n",
         u"(Pop Rock) Radio Paradise", u"FR", 0.75f, 0, 255, 5,
         written("[USERPREF]\r\nPLAN=0\r\nWX=255\r\nWY=5\r\n"
                 "LAST=(Pop Rock) Radio Paradise,\r\nLNG=FR\r\nVOL=0.75\r\n")},
        {"numbers that do not parse read as 0", "[USERPREF]\r\nVOL=0,5\r\nPLAN=yes\r\nWX=\r\nWY= 12px\r\n",
         u"(Pop Rock) Radio Paradise", u"FR", 0.0f, 0, 0, 12,
         written("[USERPREF]\r\nVOL=0\r\nPLAN=0\r\nWX=0\r\nWY=12\r\n"
                 "LAST=(Pop Rock) Radio Paradise,\r\nLNG=FR\r\n")},
        {"a float volume keeps ten decimals", "[USERPREF]\r\nVOL=0.3\r\n", u"(Pop Rock) Radio Paradise",
         u"FR", 0.3f, 0, 0, 0,
         written("[USERPREF]\r\nVOL=0.3000000119\r\nLAST=(Pop Rock) Radio Paradise,\r\nLNG=FR\r\nPLAN=0\r\n"
                 "WX=0\r\nWY=0\r\n")},
        {"volume 1 and an exponent", "[USERPREF]\r\nVOL=1e0\r\n", u"(Pop Rock) Radio Paradise", u"FR", 1.0f,
         0, 0, 0,
         written("[USERPREF]\r\nVOL=1\r\nLAST=(Pop Rock) Radio Paradise,\r\nLNG=FR\r\nPLAN=0\r\nWX=0\r\n"
                 "WY=0\r\n")},
        {"a name is cut at its first comma", "[USERPREF]\r\nLAST=(Rock) Foo, Bar,http://x/\r\n",
         u"(Rock) Foo", u"FR", 0.75f, 0, 0, 0,
         written("[USERPREF]\r\nLAST=(Rock) Foo,\r\nLNG=FR\r\nVOL=0.75\r\nPLAN=0\r\nWX=0\r\nWY=0\r\n")},
        {"LAST without a comma gives no name", "[USERPREF]\r\nLAST=(Rock) Foo\r\n", u"", u"FR", 0.75f, 0, 0,
         0, written("[USERPREF]\r\nLAST=,\r\nLNG=FR\r\nVOL=0.75\r\nPLAN=0\r\nWX=0\r\nWY=0\r\n")},
        {"LAST beginning with a comma gives no name", "[USERPREF]\r\nLAST=,http://x/\r\n", u"", u"FR", 0.75f,
         0, 0, 0, written("[USERPREF]\r\nLAST=,\r\nLNG=FR\r\nVOL=0.75\r\nPLAN=0\r\nWX=0\r\nWY=0\r\n")},
        {"lower-case fr is kept as it is", "[USERPREF]\r\nLNG=fr\r\n", u"(Pop Rock) Radio Paradise", u"fr",
         0.75f, 0, 0, 0,
         written("[USERPREF]\r\nLNG=fr\r\nLAST=(Pop Rock) Radio Paradise,\r\nVOL=0.75\r\nPLAN=0\r\nWX=0\r\n"
                 "WY=0\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings = Settings{};
        setSettingsPath();
        put(c.input);
        ASSERT_EQ(loadSettings(), 1);
        EXPECT_EQ(bytes(), c.input) << "loading wrote the file";
        EXPECT_EQ(settings.lastStationName, c.lastStationName);
        EXPECT_EQ(settings.lastStationUrl, u"");
        EXPECT_EQ(settings.languageCode, c.languageCode);
        EXPECT_EQ(settings.volume, c.volume);
        EXPECT_EQ(settings.alwaysOnTop, c.alwaysOnTop);
        EXPECT_EQ(settings.windowX, c.windowX);
        EXPECT_EQ(settings.windowY, c.windowY);
        saveSettings(settings.windowX, settings.windowY);
        EXPECT_EQ(bytes(), c.saved);
    }
}

TEST_F(SettingsFile, SaveWritesTheRecord) {
    put(written("[USERPREF]\r\nLAST=x,y\r\nPLAN=0\r\nWX=0\r\nWY=0\r\nVOL=0.75\r\nLNG=FR\r\n"));
    ASSERT_EQ(loadSettings(), 1);
    settings.lastStationName = u"(Jazz) Caf\u00E9 Bleu";
    settings.lastStationUrl = u"http://127.0.0.1:8000/jazz?a=1,b=2";
    settings.alwaysOnTop = -1;
    settings.volume = 0.0f;
    settings.languageCode = u"DE";
    saveSettings(-120, 2147483647);
    EXPECT_EQ(settings.windowX, -120);
    EXPECT_EQ(settings.windowY, 2147483647);
    EXPECT_EQ(bytes(),
              written("[USERPREF]\r\nLAST=(Jazz) Caf\xC3\xA9 Bleu,http://127.0.0.1:8000/jazz?a=1,b=2\r\n"
                      "PLAN=-1\r\nWX=-120\r\nWY=2147483647\r\nVOL=0\r\nLNG=DE\r\n"));
    settings = Settings{};
    setSettingsPath();
    ASSERT_EQ(loadSettings(), 1);
    EXPECT_EQ(settings.lastStationName, u"(Jazz) Caf\u00E9 Bleu");
    EXPECT_EQ(settings.alwaysOnTop, -1);
    EXPECT_EQ(settings.windowX, -120);
    EXPECT_EQ(settings.windowY, 2147483647);
    EXPECT_EQ(settings.volume, 0.0f);
    EXPECT_EQ(settings.languageCode, u"DE");
}

TEST_F(SettingsFile, ALineBreakInANameCannotAddLines) {
    ASSERT_EQ(loadSettings(), 1);
    settings.lastStationName = u"Evil\r\n[USERPREF]\r\nLNG=US";
    settings.lastStationUrl = u"http://x/\r";
    saveSettings(0, 0);
    std::string saved = bytes();
    EXPECT_NE(saved.find("LAST=Evil  [USERPREF]  LNG=US,http://x/ \r\n"), std::string::npos) << saved;
    settings = Settings{};
    setSettingsPath();
    ASSERT_EQ(loadSettings(), 1);
    EXPECT_EQ(settings.languageCode, u"FR");
}

TEST_F(SettingsFile, AFolderInPlaceOfTheFileSetsNothing) {
    fs::create_directory(file());
    EXPECT_EQ(loadSettings(), 0);
    EXPECT_EQ(settings.lastStationName, u"");
    EXPECT_EQ(settings.languageCode, u"");
    EXPECT_EQ(settings.volume, 0.0f);
    EXPECT_EQ(settings.alwaysOnTop, 0);
    saveSettings(3, 4);
    EXPECT_TRUE(fs::is_directory(file()));
    EXPECT_TRUE(fs::is_empty(file()));

    // With no language, no message is set.
    loadMessages(settings.languageCode);
    EXPECT_EQ(messages.msgWelcome, u"");
}

TEST_F(SettingsFile, AReadOnlyFileLoadsAndIsNeverWritten) {
    const std::string input = "[USERPREF]\r\nLNG=ES\r\nVOL=0.25\r\n";
    put(input);
    ::chmod(file().c_str(), 0444);
    ASSERT_EQ(loadSettings(), 1);
    EXPECT_EQ(settings.languageCode, u"ES");
    EXPECT_EQ(settings.volume, 0.25f);
    settings.volume = 1.0f;
    saveSettings(10, 10);
    EXPECT_EQ(bytes(), input);
    struct stat st {};
    ::stat(file().c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST_F(SettingsFile, AnUnreadableFileGivesDefaultsAndStaysAsItIs) {
    if (::geteuid() == 0) GTEST_SKIP() << "an administrator reads every file";
    const std::string input = "[USERPREF]\r\nLNG=ES\r\n";
    put(input);
    ::chmod(file().c_str(), 0200);
    ASSERT_EQ(loadSettings(), 1);
    EXPECT_EQ(settings.languageCode, u"FR");
    EXPECT_EQ(settings.lastStationName, u"(Pop Rock) Radio Paradise");
    saveSettings(1, 2);
    ::chmod(file().c_str(), 0600);
    EXPECT_EQ(bytes(), input);
}

TEST_F(SettingsFile, ReadOnlyFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "an administrator writes in every folder";
    // No file and no way to create one.
    ::chmod(dir.c_str(), 0555);
    EXPECT_EQ(loadSettings(), 0);
    EXPECT_EQ(settings.languageCode, u"");
    // A writable file in a read-only folder is saved in place.
    ::chmod(dir.c_str(), 0755);
    put(written("[USERPREF]\r\nLNG=US\r\n"));
    ::chmod(dir.c_str(), 0555);
    ASSERT_EQ(loadSettings(), 1);
    saveSettings(1, 2);
    EXPECT_EQ(bytes(), written("[USERPREF]\r\nLNG=US\r\nLAST=(Pop Rock) Radio Paradise,\r\nVOL=0.75\r\n"
                               "PLAN=0\r\nWX=1\r\nWY=2\r\n"));
}

TEST_F(SettingsFile, AMissingLanguageGivesFrench) {
    put(written("[USERPREF]\r\nVOL=0.5\r\n"));
    ASSERT_EQ(loadSettings(), 1);
    loadMessages(settings.languageCode);
    EXPECT_EQ(messages.msgWelcome, u"~ Bienvenue sur Tundrel ~ 1.08.3");
    EXPECT_EQ(messages.msgListening, u"Vous écoutez ");
}

// The store on its own.
class Preferences : public SettingsFile {
  protected:
    Text path() const { return textOf(file()); }
};

TEST_F(Preferences, UnchangedStoreLeavesTheFileAlone) {
    const std::string input = "\n\n[A]\nk = v\n";
    put(input);
    ino_t before = inode(file());
    PreferencesFile prefs;
    ASSERT_TRUE(openPreferences(prefs, path()));
    selectPreferenceGroup(prefs, u"a");
    EXPECT_EQ(readPreferenceString(prefs, u"K", u"d"), u"v");
    EXPECT_EQ(readPreferenceString(prefs, u"missing", u"d"), u"d");
    EXPECT_TRUE(closePreferences(prefs));
    EXPECT_EQ(bytes(), input);
    EXPECT_EQ(inode(file()), before);
    EXPECT_TRUE(prefs.lines.empty());
    EXPECT_FALSE(prefs.isOpen);
}

TEST_F(Preferences, MissingFileIsNotOpenedAndNotCreated) {
    PreferencesFile prefs;
    EXPECT_FALSE(openPreferences(prefs, path()));
    selectPreferenceGroup(prefs, u"USERPREF");
    EXPECT_EQ(readPreferenceString(prefs, u"LNG", u"FR"), u"FR");
    writePreferenceString(prefs, u"LNG", u"US");
    EXPECT_TRUE(closePreferences(prefs));
    EXPECT_FALSE(fs::exists(file()));
}

TEST_F(Preferences, CreateEmptiesAndWritesOnClose) {
    put("[OLD]\r\nX=1\r\n");
    PreferencesFile prefs;
    ASSERT_TRUE(createPreferences(prefs, path()));
    EXPECT_EQ(bytes(), "");
    EXPECT_TRUE(closePreferences(prefs));
    EXPECT_EQ(bytes(), mark);

    ::chmod(file().c_str(), 0444);
    EXPECT_FALSE(createPreferences(prefs, path()));
    EXPECT_EQ(bytes(), mark);
}

TEST_F(Preferences, CommentsGoAfterTheLastLineTouched) {
    put("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
    PreferencesFile prefs;
    ASSERT_TRUE(openPreferences(prefs, path()));
    selectPreferenceGroup(prefs, u"B");
    addPreferenceComment(prefs, u"top"); // nothing touched yet: the top of the store
    writePreferenceString(prefs, u"z", u"3");
    addPreferenceComment(prefs, u"after z");
    writePreferenceString(prefs, u"X", u"9"); // x of group A is not in B
    selectPreferenceGroup(prefs, u"C");
    EXPECT_EQ(readPreferenceString(prefs, u"z", u"none"), u"none");
    addPreferenceComment(prefs, u"");
    writePreferenceString(prefs, u"Y", u"4");
    selectPreferenceGroup(prefs, u"b");
    writePreferenceString(prefs, u"Y", u"5");
    EXPECT_EQ(readPreferenceString(prefs, u"y", u""), u"5");
    EXPECT_TRUE(closePreferences(prefs));
    EXPECT_EQ(bytes(),
              written("; top\r\n[A]\r\nx=1\r\n\r\n[B]\r\nY=5\r\nz=3\r\n; after z\r\nX=9\r\n\r\n[C]\r\n; \r\n"
                      "Y=4\r\n"));
}

TEST_F(Preferences, KeysOutsideAnyGroup) {
    put("a=1\r\n[G]\r\na=2\r\n");
    PreferencesFile prefs;
    ASSERT_TRUE(openPreferences(prefs, path()));
    EXPECT_EQ(readPreferenceString(prefs, u"A", u""), u"1");
    writePreferenceString(prefs, u"b", u"x");
    EXPECT_TRUE(closePreferences(prefs));
    EXPECT_EQ(bytes(), written("a=1\r\nb=x\r\n[G]\r\na=2\r\n"));
}

TEST(PreferencesFormat, ParseAndFormatByTable) {
    struct {
        const char* name;
        std::string input;
        std::string output;
    } cases[] = {
        {"only line ends", "\r\n\r\n\n\r", mark},
        {"mark alone", "\xEF\xBB\xBF", mark},
        {"two bytes of a mark are Latin-1", "\xEF\xBB", mark + "\xC3\xAF\xC2\xBB=\r\n"},
        {"comment keeps its second blank", ";  two\r\n;\r\n", mark + ";  two\r\n; \r\n"},
        {"blanks inside values stay", "k\t = \t a b \r\n", mark + "k=a b \r\n"},
        {"empty key", "=v\r\n", mark + "=v\r\n"},
        {"second = belongs to the value", "k=a=b\r\n", mark + "k=a=b\r\n"},
        {"header ends at the first ]", "[a]b]\r\n[c\r\n", mark + "[a]\r\n\r\n[c]\r\n"},
        {"NUL bytes survive", std::string("k=a\0b\r\n", 7), mark + std::string("k=a\0b\r\n", 7)},
        {"bad UTF-8 after a mark survives", "\xEF\xBB\xBFk=\xFF\xE9\r\n", mark + "k=\xFF\xE9\r\n"},
    };
    for (const auto& c : cases) {
        PreferencesFile prefs;
        parsePreferences(prefs, c.input);
        EXPECT_EQ(formatPreferences(prefs), c.output) << c.name;
    }
}

TEST(Messages, EveryLanguageByTable) {
    struct {
        Text code;
        Messages expected;
    } cases[] = {
        {u"US",
         {u"~ Welcome to Tundrel ~ 1.08.3", u"You are listening ", u" seems to be unable, please retry later",
          u"Ad", u" >> All radios", u" >> My favorites", u"Update",
          u"A new software update is available. Would you like to install it now?"}},
        {u"FR",
         {u"~ Bienvenue sur Tundrel ~ 1.08.3", u"Vous écoutez ",
          u" ne semble pas répondre, réessayez plus tard", u"Pub", u" >> Toutes les radios",
          u" >> Mes favoris", u"Mise à jour",
          u"Une nouvelle version du logiciel est disponible, voulez vous l'installer maintenant?"}},
        {u"ES",
         {u"~ Bienvenido a Tundrel ~ 1.08.3", u"Escuchas  ", u" hmmm no conecta, por favor trate luego",
          u"Publicidad", u" >> Estaciones", u" >> Mis favoritos", u"Update",
          u"Una nueva actualización de software disponible. ¿Quieres descargar?"}},
        {u"DE",
         {u"~ Willkommen zu Tundrel ~ 1.08.3", u"Sie hören ",
          u" ist nicht erreichbar, versuchen Sie es später erneut", u"Werbung", u" >> Alle Sender",
          u" >> Meine Favoriten", u"Update",
          u"Eine neue Software- Version verfügbar ist , möchten Sie es jetzt installieren?"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(encodeUtf8(c.code));
        messages = Messages{};
        loadMessages(c.code);
        EXPECT_EQ(messages.msgWelcome, c.expected.msgWelcome);
        EXPECT_EQ(messages.msgListening, c.expected.msgListening);
        EXPECT_EQ(messages.msgUnreachable, c.expected.msgUnreachable);
        EXPECT_EQ(messages.msgAdvert, c.expected.msgAdvert);
        EXPECT_EQ(messages.msgAllStationsHeading, c.expected.msgAllStationsHeading);
        EXPECT_EQ(messages.msgFavouritesHeading, c.expected.msgFavouritesHeading);
        EXPECT_EQ(messages.msgUpdateTitle, c.expected.msgUpdateTitle);
        EXPECT_EQ(messages.msgUpdatePrompt, c.expected.msgUpdatePrompt);
    }
}

TEST(Messages, UnknownCodesSetNothing) {
    for (const Text code : {u"de", u"fr", u"", u"EN", u"US ", u"FRA"}) {
        messages = Messages{};
        loadMessages(code);
        EXPECT_EQ(messages.msgWelcome, u"") << encodeUtf8(code);
        EXPECT_EQ(messages.msgListening, u"");
        EXPECT_EQ(messages.msgUpdatePrompt, u"");
    }
    // A code that matches nothing leaves an earlier table as it was.
    loadMessages(u"ES");
    loadMessages(u"xx");
    EXPECT_EQ(messages.msgListening, u"Escuchas  ");
}

} // namespace
