#include "app/install.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/ini.h"
#include "app/messages.h"
#include "host/fake/fake_host.h"
#include "host/fake/fake_http.h"
#include "../temp_dir.h"

using namespace app;

namespace {

// Points HOME and the XDG folders at a temporary folder for one test.
class DesktopHome {
public:
    DesktopHome() {
        for (const char* name : kNames) {
            const char* v = std::getenv(name);
            saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
        }
        ::setenv("HOME", dir.path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
        ::unsetenv("PATHKEEP_HOME");
        paths = BuildPaths(PathEnv::fromProcess(dir.file("bin")));
    }
    ~DesktopHome() {
        for (const auto& [name, value] : saved_)
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
    }

    TempDir dir;
    ProgramPaths paths;

private:
    static constexpr const char* kNames[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "PATHKEEP_HOME"};
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

ino_t inodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Runs a command line and returns its standard output.
std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[512];
        while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

}  // namespace

TEST(GpxAssociation, ExecValueQuotesAndEscapes) {
    // Worked by hand from the desktop entry rules: inside the quotes ", `, $
    // and \ take a backslash, % doubles, then every backslash doubles again.
    struct Row {
        const char* name;
        const char* path;
        const char* exec;
    };
    const Row rows[] = {
        {"plain", "/usr/bin/pathkeep", "\"/usr/bin/pathkeep\" %f"},
        {"blank", "/opt/my apps/pathkeep", "\"/opt/my apps/pathkeep\" %f"},
        {"dollar", "/a$b/pathkeep", "\"/a\\\\$b/pathkeep\" %f"},
        {"percent", "/a%b/pathkeep", "\"/a%%b/pathkeep\" %f"},
        {"backslash", "/a\\b/pathkeep", "\"/a\\\\\\\\b/pathkeep\" %f"},
        {"quote", "/a\"b/pathkeep", "\"/a\\\\\"b/pathkeep\" %f"},
    };
    for (const auto& r : rows) EXPECT_EQ(ExecCommand(r.path), r.exec) << r.name;
}

TEST(GpxAssociation, WrittenOnceThenLeftAloneThenRewrittenAfterAMove) {
    DesktopHome home;
    const ProgramPaths& p = home.paths;
    EXPECT_EQ(p.desktopEntry, home.dir.file("data/applications/Pathkeep.FileType.desktop"));
    EXPECT_EQ(p.mimeApps, home.dir.file("config/mimeapps.list"));
    std::filesystem::create_directories(home.dir.file("config"));
    home.dir.write("config/mimeapps.list",
                   "[Default Applications]\ntext/html=firefox.desktop\n\n"
                   "[Added Associations]\napplication/gpx+xml=gpxsee.desktop;\n");

    core::Result first = InstallationCheck(p, "/opt/pathkeep/bin/pathkeep");
    EXPECT_TRUE(first.isDone()) << first.describe();
    IniFile entry = IniFile::load(p.desktopEntry);
    EXPECT_EQ(entry.readString("Desktop Entry", "Exec", ""), "\"/opt/pathkeep/bin/pathkeep\" %f");
    EXPECT_EQ(entry.readString("Desktop Entry", "MimeType", ""), "application/gpx+xml;");
    EXPECT_EQ(entry.readString("Desktop Entry", "Comment", ""), "Pathkeep File");
    EXPECT_EQ(entry.readString("Desktop Entry", "X-Pathkeep-Class", ""), "Pathkeep.FileType");
    IniFile list = IniFile::load(p.mimeApps);
    EXPECT_EQ(list.readString("Default Applications", "application/gpx+xml", ""), "Pathkeep.FileType.desktop;");
    EXPECT_EQ(list.readString("Default Applications", "text/html", ""), "firefox.desktop");
    EXPECT_EQ(list.readString("Added Associations", "application/gpx+xml", ""),
              "Pathkeep.FileType.desktop;gpxsee.desktop;");

    // Same program again: nothing is written, not even the default the user
    // has since changed by hand.
    ino_t before = inodeOf(p.desktopEntry);
    home.dir.write("config/mimeapps.list", "[Default Applications]\napplication/gpx+xml=gpxsee.desktop;\n");
    EXPECT_TRUE(InstallationCheck(p, "/opt/pathkeep/bin/pathkeep").isNothingToDo());
    EXPECT_EQ(inodeOf(p.desktopEntry), before);
    EXPECT_EQ(readFile(p.mimeApps), "[Default Applications]\napplication/gpx+xml=gpxsee.desktop;\n");

    // The program moved: both files are written again.
    EXPECT_TRUE(InstallationCheck(p, "/home/me/pathkeep/pathkeep").isDone());
    EXPECT_EQ(IniFile::load(p.desktopEntry).readString("Desktop Entry", "Exec", ""),
              "\"/home/me/pathkeep/pathkeep\" %f");
    EXPECT_EQ(readFile(p.mimeApps), "[Default Applications]\napplication/gpx+xml=Pathkeep.FileType.desktop;\n\n"
                                    "[Added Associations]\napplication/gpx+xml=Pathkeep.FileType.desktop;\n");
}

// $PATHKEEP_HOME moves Pathkeep's own files, never the desktop's.
TEST(GpxAssociation, DesktopFilesStayInTheXdgFolders) {
    PathEnv e{"/opt/pk/bin", "/home/u", "", "/dat", "/tmp/portable", "", "", ""};
    ProgramPaths p = BuildPaths(e);
    EXPECT_EQ(p.firstRunMarker, "/tmp/portable/NewInstall.dat");
    EXPECT_EQ(p.desktopEntry, "/dat/applications/Pathkeep.FileType.desktop");
    EXPECT_EQ(p.mimeApps, "/home/u/.config/mimeapps.list");
}

TEST(GpxAssociation, FailureIsReportedNotOk) {
    DesktopHome home;
    home.dir.write("data", "a file where the data folder should be");
    host::FakePrompts prompts;
    core::Result r = GPXExtensiekoppelen1Click(home.paths, "/usr/bin/pathkeep", prompts);
    EXPECT_TRUE(r.isFailed());
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].severity, host::Severity::Error);
    EXPECT_NE(prompts.asked[0].text.find("Pathkeep.FileType.desktop"), std::string::npos);

    // A registration cut short is completed by the next attempt.
    std::filesystem::remove(home.dir.file("data"));
    std::filesystem::remove(home.dir.file("config/mimeapps.list"));
    std::filesystem::create_directories(home.dir.file("config/mimeapps.list"));  // a folder: cannot be written
    EXPECT_TRUE(InstallationCheck(home.paths, "/usr/bin/pathkeep").isFailed());
    EXPECT_FALSE(std::filesystem::exists(home.paths.desktopEntry));
    std::filesystem::remove(home.dir.file("config/mimeapps.list"));
    EXPECT_TRUE(InstallationCheck(home.paths, "/usr/bin/pathkeep").isDone());
    EXPECT_EQ(IniFile::load(home.paths.mimeApps).readString("Default Applications", "application/gpx+xml", ""),
              "Pathkeep.FileType.desktop;");

    EXPECT_TRUE(InstallationCheck(home.paths, "/usr/bin/path\nkeep").isFailed());
    EXPECT_TRUE(InstallationCheck(home.paths, "").isFailed());
}

// GLib, the desktop's own reader of these files, takes Pathkeep as the GPX
// program, and opening a GPX file runs it with the file's path, blanks in
// the folder names included.
TEST(GpxAssociation, DesktopOpensGpxFilesWithPathkeep) {
    if (run("command -v gio >/dev/null && command -v desktop-file-validate >/dev/null && echo yes") != "yes\n")
        GTEST_SKIP() << "gio or desktop-file-validate missing";
    DesktopHome home;
    std::filesystem::create_directories(home.dir.file("my apps"));
    std::string exe = home.dir.write("my apps/pathkeep", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n");
    std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
    ASSERT_TRUE(InstallationCheck(home.paths, exe).isDone());

    EXPECT_EQ(run("desktop-file-validate '" + home.paths.desktopEntry + "' 2>&1"), "");
    std::string gio = run("gio mime application/gpx+xml 2>&1");
    std::string first = gio.substr(0, gio.find('\n'));
    EXPECT_EQ(first.rfind("Default application for "), 0u) << gio;
    EXPECT_NE(first.find(": Pathkeep.FileType.desktop"), std::string::npos) << gio;

    std::string gpx = home.dir.write("walk one.gpx",
                                     "<?xml version=\"1.0\"?>\n<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" "
                                     "version=\"1.1\" creator=\"test\"></gpx>\n");
    run("gio open '" + gpx + "' 2>&1");
    std::string args;
    for (int i = 0; i < 50 && args.empty(); ++i) {
        args = readFile(exe + ".args");
        if (args.empty()) ::usleep(100 * 1000);
    }
    EXPECT_EQ(args, gpx + "\n");
}

TEST(FirstRun, AskedOnceWhateverTheAnswer) {
    MessageTable messages;
    for (host::Answer answer : {host::Answer::No, host::Answer::Yes}) {
        DesktopHome home;
        ASSERT_TRUE(EnsureUserDirectories(home.paths));
        ASSERT_TRUE(std::filesystem::exists(home.paths.firstRunMarker));
        host::FakePrompts prompts;
        prompts.answers = {answer};
        EXPECT_TRUE(FirstRunQuestion(home.paths, "/usr/bin/pathkeep", messages, prompts));
        ASSERT_GE(prompts.asked.size(), 1u);
        EXPECT_EQ(prompts.asked[0].text,
                  "Would you like to register the GPX extension so these files will be opened with the Pathkeep?");
        EXPECT_FALSE(std::filesystem::exists(home.paths.firstRunMarker));
        bool yes = answer == host::Answer::Yes;
        EXPECT_EQ(std::filesystem::exists(home.paths.desktopEntry), yes);
        EXPECT_EQ(prompts.asked.size(), yes ? 2u : 1u);
        if (yes) {
            EXPECT_EQ(prompts.asked[1].text, "OK");
        }
        EXPECT_FALSE(FirstRunQuestion(home.paths, "/usr/bin/pathkeep", messages, prompts));
    }
}

namespace {

struct UpdateRun {
    host::FakeHost host;
    host::FakeHttp http;
    MessageTable messages;
    MessageLog log{host.fakeClock};
    TempDir dir;
    std::string versionFile = dir.file("version.dat");

    core::Result check() {
        return mCheckUpdatesClick(http, host.fakePrompts, messages, log, "http://example.test/version.dat",
                                  versionFile);
    }
    const std::string& lastShown() const { return host.fakePrompts.asked.back().text; }
};

}  // namespace

TEST(UpdateCheck, ComparesAsNumbers) {
    const std::string m51 = "You are using the most recent version of the application.";
    const std::string m52 =
        "A newer version of the application is available. Please go to the website to download the new version.";
    struct Row {
        const char* name;
        const char* file;
        bool newer;
    };
    const Row rows[] = {
        {"same", "[General]\ncurrentversion=4.03\nreleasedate=1 May 2008\n", false},
        {"next", "[General]\ncurrentversion=4.04\nreleasedate=1 May 2008\n", true},
        {"a tenth is more than three hundredths", "[General]\ncurrentversion=4.1\nreleasedate=1 May 2008\n", true},
        {"a trailing zero is the same number", "[General]\ncurrentversion=4.030\nreleasedate=1 May 2008\n", false},
        {"ten is newer than four", "[General]\ncurrentversion=10.0\nreleasedate=1 May 2008\n", true},
        {"a third part", "[General]\ncurrentversion=4.03.1\n", true},
        {"whole part first", "[General]\ncurrentversion=9.99\n", true},
        {"older", "[General]\ncurrentversion=4.02\n", false},
        {"no key", "[General]\nreleasedate=1 May 2008\n", false},
        {"not an INI file", "<html><body>Not found</body></html>", false},
    };
    for (const auto& r : rows) {
        UpdateRun u;
        u.http.files["http://example.test/version.dat"] = r.file;
        EXPECT_TRUE(u.check().isDone()) << r.name;
        ASSERT_EQ(u.host.fakePrompts.asked.size(), 2u) << r.name;
        EXPECT_EQ(u.host.fakePrompts.asked[0].text, "This requires an internet connection. Do you wish to continue?");
        EXPECT_EQ(u.lastShown().substr(0, r.newer ? m52.size() : std::string::npos), r.newer ? m52 : m51) << r.name;
    }

    UpdateRun u;
    u.http.files["http://example.test/version.dat"] = "[General]\ncurrentversion=4.04\nreleasedate=30 Nov 2026\n";
    ASSERT_TRUE(u.check().isDone());
    EXPECT_EQ(u.lastShown(), m52 + "\rRelease date: 30 Nov 2026\rVersion: 4.04");
    ASSERT_EQ(u.log.lines().size(), 2u);
    EXPECT_EQ(u.log.lines()[0], "13:05:09 Your version: 4.03");
    EXPECT_EQ(u.log.lines()[1], "13:05:09 Latest version: 4.04  30 Nov 2026");
}

TEST(UpdateCheck, NoMeansNoDownloadAndAFailedDownloadSaysSo) {
    UpdateRun u;
    u.host.fakePrompts.answers = {host::Answer::No};
    EXPECT_TRUE(u.check().isCancelled());
    EXPECT_TRUE(u.http.requested.empty());

    UpdateRun v;
    v.dir.write("version.dat", "[General]\ncurrentversion=4.02\n");
    EXPECT_TRUE(v.check().isFailed());
    EXPECT_EQ(v.lastShown(), "Cannot connect to the website, please try again later.");
    EXPECT_EQ(v.host.fakePrompts.asked.back().severity, host::Severity::Error);
    EXPECT_TRUE(v.log.lines().empty());
}

TEST(HelpMenu, ReadmeHomePageAndAbout) {
    TempDir dir;
    host::FakeShell shell;
    EXPECT_FALSE(Readmefile1Click(dir.file("readme.html"), shell));
    EXPECT_TRUE(shell.opened.empty());
    std::string readme = dir.write("readme.html", "<html></html>");
    EXPECT_TRUE(Readmefile1Click(readme, shell));
    EXPECT_TRUE(PathkeepHomepage1Click(shell));
    EXPECT_EQ(shell.opened, (std::vector<std::string>{readme, "https://pathkeep.org/"}));
    // The shipped read-me is there to be opened.
    EXPECT_TRUE(std::filesystem::is_regular_file(std::string(PATHKEEP_DATA_DIR) + "/readme.html"));

    MessageTable messages;
    EXPECT_EQ(AboutText(messages),
              "Version: 4.03\r\rPathkeep, free software by the Pathkeep developers\r\r"
              "E-mail: info@pathkeep.org\rURL: https://pathkeep.org/\r");
}
