#include "Simulator/Paths.hpp"

#include <gtest/gtest.h>

namespace lumivane::sim {
namespace {

struct PathCase {
  const char* input;
  std::optional<std::string> canonical;
};

class CanonicalPath : public ::testing::TestWithParam<PathCase> {
protected:
  CanonicalPath() {
    files.addSymlink("/Applications/Notes.app", "/Volumes/Apps/Notes.app");
    files.addSymlink("/Users/ana/Apps", "../../Applications"); // relative to /Users/ana
    files.addSymlink("/Volumes/Apps/Notes.app", "Notes 2.app");
    files.addSymlink("/loop/a", "/loop/b");
    files.addSymlink("/loop/b", "/loop/a");
    files.addSymlink("/Applications/Re\u0301sume\u0301.app", "/Volumes/Apps/R\u00e9sum\u00e9.app");
  }
  FileSystem files;
};

TEST_P(CanonicalPath, IsStandardisedResolvedAndNFC) {
  EXPECT_EQ(files.canonicalPath(GetParam().input), GetParam().canonical) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CanonicalPath,
    ::testing::Values(
        PathCase{"/Applications/Maps.app", "/Applications/Maps.app"},
        PathCase{"/Applications/./Maps.app/", "/Applications/Maps.app"},
        PathCase{"//Applications//Utilities/../Maps.app", "/Applications/Maps.app"},
        PathCase{"/../Applications/Maps.app", "/Applications/Maps.app"}, PathCase{"/", "/"},
        // A chain of links, the second one relative to its own folder.
        PathCase{"/Applications/Notes.app", "/Volumes/Apps/Notes 2.app"},
        PathCase{"/Applications/Notes.app/Contents", "/Volumes/Apps/Notes 2.app/Contents"},
        PathCase{"/Users/ana/Apps/Maps.app", "/Applications/Maps.app"},
        // Every Mac's links: Safari in the Preboot cryptex, reached from either end of the chain.
        PathCase{"/Applications/Safari.app",
                 "/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app"},
        PathCase{"/System/Cryptexes/App/System/Applications/Safari.app",
                 "/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app"},
        // /var leads into /private, and resolving drops /private again where a link leads in;
        // elsewhere it stays.
        PathCase{"/var/folders/T/Fresh.app", "/var/folders/T/Fresh.app"},
        PathCase{"/private/var/folders/T/Fresh.app", "/var/folders/T/Fresh.app"},
        PathCase{"/private/tmp", "/tmp"}, PathCase{"/private", "/private"},
        PathCase{"/private/other/Tool.app", "/private/other/Tool.app"},
        // Canonically equivalent names are one file; the answer is NFC.
        PathCase{"/Applications/Caf\u0065\u0301.app", "/Applications/Caf\u00e9.app"},
        PathCase{"/Applications/R\u00e9sum\u00e9.app", "/Volumes/Apps/R\u00e9sum\u00e9.app"},
        // A cycle stays unresolved; relative paths and invalid UTF-8 have no canonical form.
        PathCase{"/loop/a/x", "/loop/a/x"}, PathCase{"Applications/Maps.app", std::nullopt},
        PathCase{"", std::nullopt}, PathCase{"/Applications/\xff.app", std::nullopt}));

TEST(FileURL, PercentEncodesWhatAURLPathMayNotHold) {
  EXPECT_EQ(fileURL("/Applications/Safari.app", true), "file:///Applications/Safari.app/");
  EXPECT_EQ(fileURL("/Applications/A b#?%.app", true), "file:///Applications/A%20b%23%3F%25.app/");
  EXPECT_EQ(fileURL("/Applications/Caf\u00e9.app/", true), "file:///Applications/Caf%C3%A9.app/");
  EXPECT_EQ(fileURL("/tmp/readme", false), "file:///tmp/readme");
}

} // namespace
} // namespace lumivane::sim
