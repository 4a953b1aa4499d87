#include "LumivaneCore/ASCIICase.hpp"
#include "LumivaneCore/FileURL.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace lumivane {
namespace {

TEST(ASCIICase, FoldsOnlyTheASCIILetters) {
  EXPECT_TRUE(equalsIgnoringASCIICase("Com.Apple.FINDER", "com.apple.finder"));
  EXPECT_TRUE(equalsIgnoringASCIICase("file", "FILE"));
  EXPECT_FALSE(equalsIgnoringASCIICase("file", "files"));
  // "É" and "é" are other bytes in UTF-8: no locale folding.
  EXPECT_FALSE(equalsIgnoringASCIICase("caf\u00c9", "caf\u00e9"));
  // '@' and '[' sit just outside 'A'..'Z'; '`' and '{' just outside 'a'..'z'.
  EXPECT_FALSE(equalsIgnoringASCIICase("@[", "`{"));
}

struct Decoding {
  const char* name;
  std::string text;
  std::optional<std::string> decoded;
};

class PercentDecoding : public ::testing::TestWithParam<Decoding> {};

TEST_P(PercentDecoding, DecodesWellFormedEscapesOnly) {
  EXPECT_EQ(FileURL::percentDecoded(GetParam().text), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PercentDecoding,
    ::testing::Values(
        Decoding{"Plain", "/Applications/Mail.app", "/Applications/Mail.app"},
        Decoding{"Space", "My%20Tool", "My Tool"}, Decoding{"EitherCase", "%c3%A9", "\u00e9"},
        Decoding{"EscapedPercent", "100%25", "100%"},
        Decoding{"HighByte", "%FF", std::string(1, '\xFF')}, Decoding{"Empty", "", ""},
        Decoding{"LoneSign", "100%", std::nullopt}, Decoding{"OneDigit", "%2", std::nullopt},
        Decoding{"ShortAtTheEnd", "a%2", std::nullopt}, Decoding{"NotHex", "%G0", std::nullopt},
        Decoding{"Nul", "a%00b", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct BundleURL {
  const char* name;
  std::string url;
  std::optional<std::string> path;
};

class ApplicationBundlePath : public ::testing::TestWithParam<BundleURL> {};

TEST_P(ApplicationBundlePath, AcceptsOnlyLocalFileURLsOfApplicationBundles) {
  EXPECT_EQ(FileURL::applicationBundlePath(GetParam().url), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    URLs, ApplicationBundlePath,
    ::testing::Values(
        BundleURL{"AsTheDockGivesIt", "file:///Applications/Safari.app/",
                  "/Applications/Safari.app"},
        BundleURL{"ManyTrailingSlashes", "file:///Applications/Safari.app///",
                  "/Applications/Safari.app"},
        BundleURL{"SchemeAndExtensionInCapitals", "FiLe:///Applications/Tool.APP",
                  "/Applications/Tool.APP"},
        BundleURL{"Localhost", "file://LocalHost/Applications/Safari.app/",
                  "/Applications/Safari.app"},
        BundleURL{"EmptyHost", "file:///Applications/Safari.app", "/Applications/Safari.app"},
        BundleURL{"NoAuthority", "file:/Applications/Safari.app", "/Applications/Safari.app"},
        BundleURL{"QueryAndFragmentDropped", "file:///Applications/Safari.app/?x=1#top",
                  "/Applications/Safari.app"},
        BundleURL{"Escapes", "file:///Applications/My%20Tool%2Eapp", "/Applications/My Tool.app"},
        BundleURL{"DotsKeptForTheCaller", "file:///Applications/./X/../Safari.app/",
                  "/Applications/./X/../Safari.app"},
        BundleURL{"RelativePathLeftToTheCaller", "file:Applications/Safari.app",
                  "Applications/Safari.app"},
        BundleURL{"OtherHost", "file://server/Applications/Safari.app/", std::nullopt},
        BundleURL{"OtherScheme", "https://example.com/Safari.app", std::nullopt},
        BundleURL{"SchemeWithBadCharacter", "fi_le:///Applications/Safari.app", std::nullopt},
        BundleURL{"SchemeStartingWithDigit", "1file:///Applications/Safari.app", std::nullopt},
        BundleURL{"NoScheme", "/Applications/Safari.app", std::nullopt},
        BundleURL{"EmptyScheme", ":///Applications/Safari.app", std::nullopt},
        BundleURL{"RawSpace", "file:///Applications/My Tool.app/", std::nullopt},
        BundleURL{"ControlCharacter", "file:///Applications/Safari.app\x7f", std::nullopt},
        BundleURL{"MalformedEscape", "file:///Applications/100%.app/", std::nullopt},
        BundleURL{"EscapedNul", "file:///Applications/A%00.app/", std::nullopt},
        BundleURL{"InsideTheBundle", "file:///Applications/Safari.app/Contents/", std::nullopt},
        BundleURL{"Folder", "file:///Users/me/Downloads/", std::nullopt},
        BundleURL{"OnlyADotName", "file:///Applications/.app/", std::nullopt},
        BundleURL{"ExtensionInTheQuery", "file:///Applications/Tool?.app", std::nullopt},
        BundleURL{"Root", "file:///", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct RunningBundle {
  const char* name;
  std::string path;
  std::string bundle;
};

class ApplicationBundle : public ::testing::TestWithParam<RunningBundle> {};

TEST_P(ApplicationBundle, IsTheAppAroundItsExecutableAndNothingElseMoves) {
  EXPECT_EQ(FileURL::applicationBundle(GetParam().path), GetParam().bundle);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ApplicationBundle,
    ::testing::Values(
        RunningBundle{"TheBundle", "/Applications/Notes.app", "/Applications/Notes.app"},
        RunningBundle{"ItsExecutable", "/Applications/Notes.app/Contents/MacOS/Notes",
                      "/Applications/Notes.app"},
        RunningBundle{"AnExecutableOfAnotherName",
                      "/Applications/Visual Studio Code.app/Contents/MacOS/Electron",
                      "/Applications/Visual Studio Code.app"},
        RunningBundle{"ExtensionInUpperCase", "/Volumes/X/Tool.APP/Contents/MacOS/tool",
                      "/Volumes/X/Tool.APP"},
        RunningBundle{"AnAppInsideAnApp",
                      "/Applications/Xcode.app/Contents/Applications/Simulator.app/Contents/"
                      "MacOS/Simulator",
                      "/Applications/Xcode.app/Contents/Applications/Simulator.app"},
        RunningBundle{"AnXPCServiceInsideAnApp",
                      "/Applications/Mail.app/Contents/XPCServices/Fetch.xpc/Contents/MacOS/Fetch",
                      "/Applications/Mail.app/Contents/XPCServices/Fetch.xpc/Contents/MacOS/Fetch"},
        RunningBundle{"DeeperInTheExecutableFolder",
                      "/Applications/Mail.app/Contents/MacOS/Helpers/tool",
                      "/Applications/Mail.app/Contents/MacOS/Helpers/tool"},
        RunningBundle{"TheFolderItself", "/Applications/Mail.app/Contents/MacOS",
                      "/Applications/Mail.app/Contents/MacOS"},
        RunningBundle{"NoBundleAround", "/Contents/MacOS/tool", "/Contents/MacOS/tool"},
        RunningBundle{"ANameThatOnlyStartsWithADot", "/Applications/.app/Contents/MacOS/x",
                      "/Applications/.app/Contents/MacOS/x"},
        RunningBundle{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BundleName, IsTheFileNameWithoutItsExtension) {
  EXPECT_EQ(FileURL::bundleName("/Applications/Mail.app"), "Mail");
  EXPECT_EQ(FileURL::bundleName("/Applications/Nameless Tool.v2.app/"), "Nameless Tool.v2");
  EXPECT_EQ(FileURL::bundleName("/Applications/.hidden"), ".hidden");
  EXPECT_EQ(FileURL::bundleName("Tool"), "Tool");
  EXPECT_EQ(FileURL::bundleName("/"), "");
}

} // namespace
} // namespace lumivane
