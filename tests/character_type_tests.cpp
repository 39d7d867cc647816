// The character type chosen before Qt reads the locale: always UTF-8, and
// every other category as the C library read it from the environment.
#include <gtest/gtest.h>

#include <langinfo.h>

#include <array>
#include <clocale>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "shell/character_type.h"

namespace finbowl {
namespace {

constexpr std::array<const char*, 14> kLocaleVariables = {
    "LANG",       "LC_ALL",       "LC_CTYPE",       "LC_NUMERIC",       "LC_TIME",
    "LC_COLLATE", "LC_MONETARY",  "LC_MESSAGES",    "LC_PAPER",         "LC_NAME",
    "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"};

constexpr std::array<int, 11> kOtherCategories = {
    LC_NUMERIC, LC_TIME,    LC_COLLATE,   LC_MONETARY,    LC_MESSAGES,      LC_PAPER,
    LC_NAME,    LC_ADDRESS, LC_TELEPHONE, LC_MEASUREMENT, LC_IDENTIFICATION};

using Environment = std::map<std::string, std::optional<std::string>>;

Environment LocaleEnvironment() {
  Environment environment;
  for (const char* name : kLocaleVariables) {
    const char* value = std::getenv(name);
    environment[name] = value ? std::optional<std::string>(value) : std::nullopt;
  }
  return environment;
}

void SetLocaleEnvironment(const Environment& environment) {
  for (const auto& [name, value] : environment) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
}

// Every locale variable unset, then `assigned` set.
void StartFrom(const std::map<std::string, std::string>& assigned) {
  for (const char* name : kLocaleVariables) {
    ::unsetenv(name);
  }
  for (const auto& [name, value] : assigned) {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
}

// What the C library makes of the environment, category by category, as Qt
// will read it when it starts.
struct Resolved {
  std::string characterSet;
  std::array<std::string, kOtherCategories.size()> others;
};

Resolved Resolve() {
  std::setlocale(LC_ALL, "");
  Resolved resolved{nl_langinfo(CODESET), {}};
  for (std::size_t i = 0; i < kOtherCategories.size(); ++i) {
    resolved.others[i] = std::setlocale(kOtherCategories[i], nullptr);
  }
  std::setlocale(LC_ALL, "C");
  return resolved;
}

class CharacterType : public ::testing::Test {
 protected:
  void TearDown() override {
    SetLocaleEnvironment(saved_);
    std::setlocale(LC_ALL, "C");
  }

 private:
  Environment saved_ = LocaleEnvironment();
};

TEST_F(CharacterType, BecomesUtf8AndEveryOtherCategoryKeepsWhatItWas) {
  struct Row {
    const char* name;
    std::map<std::string, std::string> assigned;
  };
  const std::vector<Row> rows = {
      {"nothing set", {}},
      {"LANG=C", {{"LANG", "C"}}},
      {"LANG=POSIX", {{"LANG", "POSIX"}}},
      {"LC_ALL=C over a UTF-8 LANG", {{"LC_ALL", "C"}, {"LANG", "C.UTF-8"}}},
      // LC_ALL wins over a category of its own, and still does after.
      {"LC_ALL=POSIX over LC_TIME", {{"LC_ALL", "POSIX"}, {"LC_TIME", "C.UTF-8"}}},
      {"LANG=C beside a UTF-8 LC_TIME", {{"LANG", "C"}, {"LC_TIME", "C.UTF-8"}}},
      {"only the character type C", {{"LANG", "C.UTF-8"}, {"LC_CTYPE", "C"}}},
      // The C library refuses the whole environment and stays at C.
      {"a locale that is not installed", {{"LANG", "xx_YY.UTF-8"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    StartFrom(row.assigned);
    const Resolved before = Resolve();
    ASSERT_NE(before.characterSet, "UTF-8") << "the row does not start from a legacy locale";

    ChooseUtf8CharacterType();
    std::setlocale(LC_ALL, "C");
    const Resolved after = Resolve();
    EXPECT_EQ(after.characterSet, "UTF-8");
    EXPECT_EQ(after.others, before.others);
  }
}

TEST_F(CharacterType, AUtf8LocaleIsLeftAsItIs) {
  const std::vector<std::map<std::string, std::string>> rows = {
      {{"LANG", "C.UTF-8"}},
      {{"LC_ALL", "C.UTF-8"}, {"LANG", "C"}},
      {{"LC_CTYPE", "C.UTF-8"}, {"LC_MESSAGES", "POSIX"}},
  };
  for (const auto& assigned : rows) {
    StartFrom(assigned);
    const Environment before = LocaleEnvironment();
    ChooseUtf8CharacterType();
    EXPECT_EQ(LocaleEnvironment(), before) << assigned.begin()->first;
  }
}

}  // namespace
}  // namespace finbowl
