// The settings file on disk: links, files that cannot be read or must not be changed,
// what a killed save leaves behind.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/IniFile.h"
#include "common/LinkTarget.h"
#include "app/SettingsStore.h"
#include "tests/support/PermissionsEnforced.h"

using namespace velmora::app;
using velmora::testing::PermissionsEnforced;
namespace fs = std::filesystem;

namespace {

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = ::testing::TempDir() + "velmora-store-XXXXXX";
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchDir() {
        std::error_code ignored;
        for (auto& e : fs::recursive_directory_iterator(path_, ignored))
            ::chmod(e.path().c_str(), 0700);
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void put(const std::string& path, const std::string& text, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary) << text;
    ::chmod(path.c_str(), mode);
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool isLink(const std::string& path) {
    return fs::is_symlink(fs::symlink_status(path));
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

const char* const kUserFile = "; kept by hand\n[Form]\nWidth=640\n[Mine]\nColour=green\n";

}  // namespace

TEST(LinkTarget, FollowsLinksToTheFileTheyName) {
    ScratchDir d;
    put(d / "a.ini", "");
    fs::create_directory(d / "sub");
    fs::create_symlink(d / "a.ini", d / "absolute");
    fs::create_symlink("a.ini", d / "relative");
    fs::create_symlink("../a.ini", d / "sub/up");
    fs::create_symlink("relative", d / "chain");
    fs::create_symlink("gone.ini", d / "dangling");
    fs::create_symlink("loop", d / "loop");
    struct Case {
        std::string path;
        std::string target;  // empty: no target
    };
    const Case cases[] = {
        {d / "a.ini", d / "a.ini"},         {d / "missing.ini", d / "missing.ini"},
        {d / "absolute", d / "a.ini"},      {d / "relative", d / "a.ini"},
        {d / "sub/up", d / "sub/../a.ini"}, {d / "chain", d / "a.ini"},
        {d / "dangling", d / "gone.ini"},   {d / "loop", ""},
    };
    for (const Case& c : cases) {
        std::string error;
        auto target = velmora::linkTarget(c.path, error);
        EXPECT_EQ(target.value_or(""), c.target) << c.path;
        EXPECT_EQ(error.empty(), target.has_value()) << c.path << ": " << error;
    }
}

TEST(SettingsStore, WhatStandsAtThePathDecidesWhetherItMayBeWritten) {
    struct Case {
        const char* what;
        std::function<void(const ScratchDir&, const std::string& path)> make;
        SettingsAccess access;
        int width;  // as read
    };
    const Case cases[] = {
        {"missing", [](auto&, auto&) {}, SettingsAccess::Writable, 500},
        {"a plain file", [](auto&, auto& p) { put(p, kUserFile); }, SettingsAccess::Writable, 640},
        {"a read-only file", [](auto&, auto& p) { put(p, kUserFile, 0444); },
         SettingsAccess::ReadOnly, 640},
        {"a file nobody may read", [](auto&, auto& p) { put(p, kUserFile, 0); },
         SettingsAccess::Unreadable, 500},
        {"a folder", [](auto&, auto& p) { fs::create_directory(p); }, SettingsAccess::Unreadable,
         500},
        {"a link to itself", [](auto&, auto& p) { fs::create_symlink(p, p); },
         SettingsAccess::Unreadable, 500},
        {"a link to a plain file",
         [](auto& d, auto& p) {
             put(d / "real.ini", kUserFile);
             fs::create_symlink("real.ini", p);
         },
         SettingsAccess::Writable, 640},
        {"a link to a read-only file",
         [](auto& d, auto& p) {
             put(d / "real.ini", kUserFile, 0444);
             fs::create_symlink("real.ini", p);
         },
         SettingsAccess::ReadOnly, 640},
        {"a link to nothing yet", [](auto&, auto& p) { fs::create_symlink("later.ini", p); },
         SettingsAccess::Writable, 500},
    };
    for (const Case& c : cases) {
        ScratchDir d;
        const std::string path = d / "velmora.ini";
        c.make(d, path);
        PermissionsEnforced enforced;
        if (!enforced.enforced()) GTEST_SKIP() << "root without a way to drop its override";
        SettingsStore store(path);
        AppSettings read = store.load();
        EXPECT_EQ(store.accessAtLoad(), c.access) << c.what;
        EXPECT_EQ(read.width, c.width) << c.what;
        EXPECT_EQ(store.loadError().empty(), c.access != SettingsAccess::Unreadable) << c.what;
    }
}

TEST(SettingsStore, NeverWritesOverWhatItCouldNotReadOrMustNotChange) {
    struct Case {
        const char* what;
        mode_t mode;
        SaveOutcome outcome;
    };
    const Case cases[] = {
        {"nobody may read it", 0, SaveOutcome::RefusedUnreadable},
        {"read-only", 0444, SaveOutcome::RefusedReadOnly},
        {"readable by its owner only", 0400, SaveOutcome::RefusedReadOnly},
    };
    for (const Case& c : cases) {
        ScratchDir d;
        const std::string path = d / "velmora.ini";
        put(path, kUserFile, c.mode);
        {
            PermissionsEnforced enforced;
            if (!enforced.enforced()) GTEST_SKIP() << "root without a way to drop its override";
            SettingsStore store(path);
            AppSettings s = store.load();
            s.width = 700;
            EXPECT_EQ(store.save(s).outcome, c.outcome) << c.what;
        }
        EXPECT_EQ(contents(path), kUserFile) << c.what;
        EXPECT_EQ(modeOf(path), c.mode) << c.what;
        EXPECT_FALSE(fs::exists(path + ".tmp")) << c.what;
    }
}

TEST(SettingsStore, AFolderWhereTheFileShouldBeIsLeftAlone) {
    ScratchDir d;
    const std::string path = d / "velmora.ini";
    fs::create_directory(path);
    put(path + "/inside", "x");
    SettingsStore store(path);
    store.load();
    EXPECT_EQ(store.save(AppSettings{}).outcome, SaveOutcome::RefusedUnreadable);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(contents(path + "/inside"), "x");
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST(SettingsStore, SavingKeepsTheUsersLinesAndTheirLaterEdits) {
    ScratchDir d;
    const std::string path = d / "velmora.ini";
    put(path, kUserFile);
    SettingsStore store(path);
    AppSettings s = store.load();
    put(path, std::string(kUserFile) + "Added=later\n");
    s.width = 720;
    ASSERT_EQ(store.save(s).outcome, SaveOutcome::Saved);
    const std::string text = contents(path);
    EXPECT_EQ(text.rfind("; kept by hand\r\n[Form]\r\nWidth=720\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("[Mine]\r\nColour=green\r\nAdded=later\r\n"), std::string::npos) << text;
}

TEST(IniFileOnDisk, AFileThatFailsToReadIsNotAnEmptyOne) {
    ScratchDir d;
    fs::create_directory(d / "folder.ini");
    fs::create_symlink("loop.ini", d / "loop.ini");
    for (const std::string& path : {d / "folder.ini", d / "loop.ini"}) {
        IniFile ini = IniFile::parse("[A]\nB=1\n");
        std::string error;
        EXPECT_FALSE(loadIniFile(path, ini, error)) << path;
        EXPECT_NE(error.find("cannot read"), std::string::npos) << path;
        EXPECT_EQ(ini.text(), "") << path;
    }
}

TEST(IniFileOnDisk, SavingThroughLinksReplacesTheirTarget) {
    ScratchDir d;
    fs::create_directory(d / "real");
    put(d / "real/velmora.ini", kUserFile, 0600);
    fs::create_symlink("real/velmora.ini", d / "hop.ini");
    fs::create_symlink(d / "hop.ini", d / "velmora.ini");
    fs::create_symlink("real/new.ini", d / "fresh.ini");
    IniFile ini = IniFile::parse("[Form]\nWidth=1\n");
    std::string error;
    ASSERT_TRUE(saveIniFileAtomically(d / "velmora.ini", ini, error)) << error;
    ASSERT_TRUE(saveIniFileAtomically(d / "fresh.ini", ini, error)) << error;
    EXPECT_TRUE(isLink(d / "velmora.ini"));
    EXPECT_TRUE(isLink(d / "hop.ini"));
    EXPECT_EQ(fs::read_symlink(d / "hop.ini"), "real/velmora.ini");
    EXPECT_EQ(contents(d / "real/velmora.ini"), "[Form]\r\nWidth=1\r\n");
    EXPECT_EQ(modeOf(d / "real/velmora.ini"), 0600u);  // the user's permissions stay
    EXPECT_TRUE(isLink(d / "fresh.ini"));
    EXPECT_EQ(contents(d / "real/new.ini"), "[Form]\r\nWidth=1\r\n");
    for (const char* name : {"velmora.ini.tmp", "hop.ini.tmp", "real/velmora.ini.tmp",
                             "fresh.ini.tmp", "real/new.ini.tmp"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(d / name))) << name;
}

TEST(IniFileOnDisk, WhatAKilledSaveLeftIsRemoved) {
    struct Case {
        const char* what;
        std::function<void(const ScratchDir&, const std::string& temp)> leave;
    };
    const Case cases[] = {
        {"half a file", [](auto&, auto& t) { put(t, "[Form]\nWid"); }},
        {"half a read-only file", [](auto&, auto& t) { put(t, "[Form]\nWid", 0444); }},
        {"a link to another file",
         [](auto& d, auto& t) {
             put(d / "other.txt", "not yours");
             fs::create_symlink(d / "other.txt", t);
         }},
        {"a link to nowhere", [](auto& d, auto& t) { fs::create_symlink(d / "nowhere", t); }},
    };
    for (const Case& c : cases) {
        ScratchDir d;
        const std::string path = d / "velmora.ini";
        put(path, "[Form]\nWidth=640\n");
        c.leave(d, path + ".tmp");
        IniFile ini = IniFile::parse("[Form]\nWidth=700\n");
        std::string error;
        EXPECT_TRUE(saveIniFileAtomically(path, ini, error)) << c.what << ": " << error;
        EXPECT_FALSE(fs::exists(fs::symlink_status(path + ".tmp"))) << c.what;
        EXPECT_FALSE(isLink(path)) << c.what;
        EXPECT_EQ(contents(path), "[Form]\r\nWidth=700\r\n") << c.what;
        if (fs::exists(d / "other.txt")) {
            EXPECT_EQ(contents(d / "other.txt"), "not yours") << c.what;
        }
        EXPECT_FALSE(fs::exists(d / "nowhere")) << c.what;
    }
}
