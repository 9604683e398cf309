#include "formats/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "../temp_dir.h"

using formats::AtomicFile;

namespace {

bool save(const std::string& path, const std::string& text) {
    AtomicFile f(path);
    return f.open() && f.write(text) && f.commit();
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool isLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

TEST(AtomicFile, SavingThroughALinkReplacesItsTargetAndKeepsTheLink) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("data"));
    std::string target = dir.write("data/track.gpx", "old");
    // A relative link, and a link to that link.
    ASSERT_EQ(::symlink("data/track.gpx", dir.file("link.gpx").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("link.gpx").c_str(), dir.file("link2.gpx").c_str()), 0);
    ASSERT_TRUE(save(dir.file("link2.gpx"), "new"));
    EXPECT_TRUE(isLink(dir.file("link.gpx")));
    EXPECT_TRUE(isLink(dir.file("link2.gpx")));
    EXPECT_EQ(readFile(target), "new");
    // No temporary file is left beside either.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("data")), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

TEST(AtomicFile, ALinkToNothingYetCreatesItsTarget) {
    TempDir dir;
    ASSERT_EQ(::symlink("made.gpx", dir.file("link.gpx").c_str()), 0);
    ASSERT_TRUE(save(dir.file("link.gpx"), "x"));
    EXPECT_TRUE(isLink(dir.file("link.gpx")));
    EXPECT_EQ(readFile(dir.file("made.gpx")), "x");
}

TEST(AtomicFile, AReplacedFileKeepsItsMode) {
    TempDir dir;
    for (mode_t mode : {0600, 0640, 0755, 0444}) {
        std::string path = dir.write("f" + std::to_string(mode), "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(save(path, "new"));
        EXPECT_EQ(modeOf(path), mode) << std::oct << mode;
        EXPECT_EQ(readFile(path), "new");
    }
    // A new file gets what the umask leaves of rw-rw-rw-.
    mode_t mask = ::umask(022);
    ASSERT_TRUE(save(dir.file("fresh"), "x"));
    ::umask(mask);
    EXPECT_EQ(modeOf(dir.file("fresh")), 0644u);
}

TEST(ReadWholeFile, FilesOfAnySizePipesAndMissingFiles) {
    TempDir dir;
    std::string error, got;
    for (size_t size : {size_t{0}, size_t{1}, size_t{65536}, size_t{200001}}) {
        std::string text(size, 'x');
        for (size_t i = 0; i < size; i += 7) text[i] = static_cast<char>('a' + i % 26);
        std::string path = dir.write("f" + std::to_string(size), text);
        ASSERT_TRUE(formats::ReadWholeFile(path, got, error)) << error;
        EXPECT_EQ(got, text);
        formats::FileBytes bytes;
        ASSERT_TRUE(bytes.read(path, error)) << error;
        EXPECT_EQ(bytes.view(), text);
    }
    formats::FileBytes large;  // past a megabyte: another kind of memory
    std::string big(3 << 20, 'b');
    big.back() = 'e';
    ASSERT_TRUE(large.read(dir.write("big", big), error));
    EXPECT_EQ(large.view(), big);
    // A pipe has no size to go by: it is read until it ends.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::string sent(150000, 'p');
    std::thread writer([&] {
        for (size_t at = 0; at < sent.size();) {
            ssize_t n = ::write(fds[1], sent.data() + at, sent.size() - at);
            if (n <= 0) break;
            at += static_cast<size_t>(n);
        }
        ::close(fds[1]);
    });
    ASSERT_TRUE(formats::ReadWholeFile("/proc/self/fd/" + std::to_string(fds[0]), got, error)) << error;
    writer.join();
    ::close(fds[0]);
    EXPECT_EQ(got, sent);

    EXPECT_FALSE(formats::ReadWholeFile(dir.file("missing"), got, error));
    EXPECT_NE(error.find("Cannot open"), std::string::npos);
    EXPECT_FALSE(formats::ReadWholeFile(dir.path(), got, error));  // a folder cannot be read
    formats::FileBytes none;
    EXPECT_FALSE(none.read(dir.file("missing"), error));
}

TEST(ReadFileHeadText, WholeLinesOfTheStartDecodedLikeTheFile) {
    TempDir dir;
    std::string error, head;
    ASSERT_TRUE(formats::ReadFileHeadText(dir.write("short.csv", "lat;lon\n1;2"), head, error));
    EXPECT_EQ(head, "lat;lon\n1;2");
    // A long UTF-8 file: the head ends at a line break, never inside "é".
    std::string line = "caf\xC3\xA9,1,2\n", text;
    while (text.size() < 200000) text += line;
    ASSERT_TRUE(formats::ReadFileHeadText(dir.write("long.csv", text), head, error));
    EXPECT_LE(head.size(), size_t{1} << 16);
    EXPECT_GT(head.size(), size_t{60000});
    EXPECT_EQ(head.size() % line.size(), 0u);
    EXPECT_EQ(head.substr(0, line.size()), line);
    // Windows-1252 comes out as UTF-8, as the readers see it.
    ASSERT_TRUE(formats::ReadFileHeadText(dir.write("old.csv", "caf\xE9\n"), head, error));
    EXPECT_EQ(head, "caf\xC3\xA9\n");
    EXPECT_FALSE(formats::ReadFileHeadText(dir.file("missing"), head, error));
}
