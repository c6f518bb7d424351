// Every option the parser has is written down where a person looks for it,
// spelled as the parser spells it, and nothing the parser lacks is: the
// manual page's options and synopsis, and the README's synopsis.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "app/command_line.h"

namespace {

using Names = std::set<std::string>;

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Names TableNames() {
  Names names;
  for (const OptionSpelling& option : OptionSpellings()) {
    names.insert(option.name);
    if (option.shortName) names.insert(option.shortName);
  }
  return names;
}

// The options named in `text`: "--name" and "-x", after roff's "\-" is
// read as "-".
Names NamesIn(std::string text) {
  text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
  Names names;
  const std::regex option(R"((^|[^-\w])(--?[A-Za-z][a-z-]*))");
  for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it)
    names.insert((*it)[2]);
  return names;
}

// The lines of a manual page section, from ".SH NAME" to the next ".SH".
std::string Section(const std::string& page, const std::string& name) {
  const size_t start = page.find("\n.SH " + name + "\n");
  if (start == std::string::npos) return "";
  const size_t end = page.find("\n.SH ", start + 1);
  return page.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string Join(const Names& names) {
  std::string text;
  for (const std::string& n : names) text += n + " ";
  return text;
}

TEST(ManualPage, ListsEveryOptionOfTheParserAndNoOther) {
  const std::string page = Slurp(KV_BUILD_DIR "/dist/kelvara.6");
  ASSERT_FALSE(page.empty()) << "the build made no manual page";

  // The tag line under each ".TP" of OPTIONS names the option, and its
  // value as --help names it.
  const std::string options = Section(page, "OPTIONS");
  Names listed;
  std::istringstream lines(options);
  std::string line, tag;
  bool tagNext = false;
  while (std::getline(lines, line)) {
    if (tagNext) {
      const Names named = NamesIn(line);
      listed.insert(named.begin(), named.end());
      for (const OptionSpelling& option : OptionSpellings()) {
        if (!named.count(option.name) || !option.valueName) continue;
        EXPECT_NE(line.find(std::string("\" ") + option.valueName + "\""), std::string::npos)
            << option.name << " is listed without its value " << option.valueName << ": " << line;
      }
    }
    tagNext = line == ".TP";
  }
  EXPECT_EQ(Join(listed), Join(TableNames())) << "OPTIONS of the manual page against --help";
  EXPECT_EQ(Join(NamesIn(Section(page, "SYNOPSIS"))), Join(TableNames()))
      << "SYNOPSIS of the manual page against --help";
}

TEST(ManualPage, NamesTheReleaseTheBuildIsOf) {
  const std::string page = Slurp(KV_BUILD_DIR "/dist/kelvara.6");
  const std::regex title(R"re(^\.TH KELVARA 6 (\d{4}-\d{2}-\d{2}) "Kelvara ([^"]+)" "Games"\n)re");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(page, m, title)) << page.substr(0, page.find('\n'));
  EXPECT_EQ(m[2].str(), kProgramVersion);
  EXPECT_EQ(page.find('@'), std::string::npos) << "a placeholder was left unfilled";
  // The AppStream metadata names the same release.
  const std::string meta = Slurp(KV_BUILD_DIR "/dist/io.github.kelvara.Kelvara.metainfo.xml");
  EXPECT_NE(meta.find("<release version=\"" + std::string(kProgramVersion) + "\" date=\"" +
                      m[1].str() + "\"/>"),
            std::string::npos)
      << meta;
}

// The README's synopsis: the indented "kelvara ..." lines under "## Play".
TEST(Readme, SynopsisNamesEveryOptionOfTheParserAndNoOther) {
  const std::string readme = Slurp(KV_SOURCE_DIR "/README.md");
  const size_t play = readme.find("\n## Play\n");
  ASSERT_NE(play, std::string::npos);
  const size_t next = readme.find("\n## ", play + 1);
  std::istringstream lines(readme.substr(play, next - play));
  std::string line, synopsis;
  while (std::getline(lines, line))
    if (line.rfind("    kelvara", 0) == 0) synopsis += line + "\n";
  EXPECT_EQ(Join(NamesIn(synopsis)), Join(TableNames())) << synopsis;
}

}  // namespace
